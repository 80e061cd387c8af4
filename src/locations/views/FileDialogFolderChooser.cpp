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
// can still be opened, since a folder the user may add can lie inside one ("/run/media").
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
        return files && index.isValid() && !m_rule(files->filePath(mapToSource(index)));
    }

    FolderChooser::EnableRule m_rule;
};

} // namespace

FileDialogFolderChooser::FileDialogFolderChooser(QWidget* window)
    : m_window(window)
{
}

void FileDialogFolderChooser::chooseFolders(const QString& prompt, EnableRule isEnabled, Completion done)
{
    auto* dialog = new QFileDialog(m_window, QObject::tr("Add Locations"));
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
