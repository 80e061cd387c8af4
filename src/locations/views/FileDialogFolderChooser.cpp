#include "locations/views/FileDialogFolderChooser.h"

#include <QAbstractItemView>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QPalette>
#include <QSortFilterProxyModel>

namespace pairsift {

namespace {

// Makes the items the rule refuses unselectable and shows them greyed out, as disabled items are; they
// can still be opened, since a folder the user may add can lie inside one ("/run/media"). The rule is
// given what the file system model gathered off the main thread, so a repaint reads nothing from disk.
class EnableRuleProxy : public QSortFilterProxyModel {
public:
    EnableRuleProxy(FolderChooser::EnableRule rule, QObject* parent)
        : QSortFilterProxyModel(parent)
        , m_rule(std::move(rule))
    {
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        Qt::ItemFlags flags = QSortFilterProxyModel::flags(index);
        if (isRefused(index))
            flags &= ~Qt::ItemIsSelectable;
        return flags;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role == Qt::ForegroundRole && isRefused(index))
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return QSortFilterProxyModel::data(index, role);
    }

private:
    bool isRefused(const QModelIndex& index) const
    {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        if (!files || !index.isValid())
            return false;
        const QModelIndex source = mapToSource(index);
        return !m_rule(files->filePath(source), files->isDir(source));
    }

    FolderChooser::EnableRule m_rule;
};

} // namespace

FileDialogFolderChooser::FileDialogFolderChooser(QWidget* window)
    : m_window(window)
{
}

void FileDialogFolderChooser::chooseFolders(const QString& prompt, const QString& startFolder, EnableRule isEnabled,
                                            Completion done)
{
    auto* dialog = new QFileDialog(m_window, QObject::tr("Add Locations"), startFolder);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    // The platform dialogs choose one folder only.
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setFileMode(QFileDialog::Directory);
    dialog->setOption(QFileDialog::ShowDirsOnly);
    dialog->setLabelText(QFileDialog::Accept, prompt);
    dialog->setProxyModel(new EnableRuleProxy(std::move(isEnabled), dialog));
    for (QAbstractItemView* view : dialog->findChildren<QAbstractItemView*>())
        view->setSelectionMode(QAbstractItemView::ExtendedSelection);

    auto completion = std::make_shared<Completion>(std::move(done));
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, completion](int result) {
        if (*completion)
            (*completion)(result == QDialog::Accepted ? dialog->selectedFiles() : QStringList());
        *completion = nullptr;
    });
    dialog->open();
}

} // namespace pairsift
