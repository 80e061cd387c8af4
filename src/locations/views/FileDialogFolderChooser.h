#pragma once

#include "locations/FolderChooser.h"

#include <QPointer>
#include <QWidget>

namespace pairsift {

// The folder chooser as a window-modal file dialog over `window`: folders and photo libraries, several at
// once; items the rule refuses cannot be selected.
class FileDialogFolderChooser : public FolderChooser {
public:
    explicit FileDialogFolderChooser(QWidget* window);

    // The window the dialog opens over.
    void setWindow(QWidget* window) { m_window = window; }

    void chooseFolders(const QString& prompt, const QString& startFolder, EnableRule isEnabled, Completion done) override;

private:
    QPointer<QWidget> m_window;
};

} // namespace pairsift
