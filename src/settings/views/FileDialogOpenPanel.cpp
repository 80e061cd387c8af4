#include "settings/views/FileDialogOpenPanel.h"

#include <QFileDialog>

namespace pairsift {

void FileDialogOpenPanel::run(const Options& options, Completion done)
{
    auto* dialog = new QFileDialog(m_window, QString(), options.directory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(m_window ? Qt::WindowModal : Qt::ApplicationModal);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setFileMode(options.canChooseDirectories && !options.canChooseFiles ? QFileDialog::Directory
                                                                                : QFileDialog::ExistingFile);
    dialog->setOption(QFileDialog::ShowDirsOnly, !options.canChooseFiles);
    dialog->setOption(QFileDialog::ReadOnly, !options.canCreateDirectories);
    if (!options.prompt.isEmpty())
        dialog->setLabelText(QFileDialog::Accept, options.prompt);
    // Exactly once: finished() follows accept and reject alike.
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, done = std::move(done)](int result) {
        const QStringList chosen = dialog->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            done(chosen.first());
        else
            done(std::nullopt);
    });
    dialog->open();
}

} // namespace pairsift
