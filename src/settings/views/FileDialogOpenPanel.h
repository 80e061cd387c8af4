#pragma once

#include "platform/OpenPanel.h"

#include <QPointer>

class QWidget;

namespace pairsift {

// The open panel as the desktop's file dialog, window-modal over `window` (application-modal without one).
class FileDialogOpenPanel : public OpenPanel {
public:
    explicit FileDialogOpenPanel(QWidget* window = nullptr) : m_window(window) {}
    // A dialog still open goes with the panel, whose choice it would record.
    ~FileDialogOpenPanel() override;

    void run(const Options& options, Completion done) override;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_dialog;
};

} // namespace pairsift
