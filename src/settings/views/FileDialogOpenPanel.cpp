#include "settings/views/FileDialogOpenPanel.h"

#include <QFileDialog>

namespace pairsift {

FileDialogOpenPanel::~FileDialogOpenPanel()
{
    delete m_dialog;
}

void FileDialogOpenPanel::run(const Options& options, Completion done)
{
    auto* dialog = new QFileDialog(m_window, QString(), options.directory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    const bool isDirectoryOnly = options.canChooseDirectories && !options.canChooseFiles;
    dialog->setFileMode(isDirectoryOnly ? QFileDialog::Directory
                        : options.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::ShowDirsOnly, !options.canChooseFiles);
    dialog->setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    if (!options.prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, options.prompt);
    // Exactly once: finished() follows accept and reject alike.
    QObject::connect(dialog, &QFileDialog::finished, dialog, [this, dialog, done = std::move(done)](int result) {
        finish(done, result == QDialog::Accepted ? dialog->selectedUrls() : QList<QUrl>());
    });
    m_dialog = dialog;
    dialog->open();
}

} // namespace pairsift
