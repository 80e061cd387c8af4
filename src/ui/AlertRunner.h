#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QMessageBox;
class QWidget;

namespace pairsift {

// Which button ended an alert, in the order the buttons were given (the first is the default); Cancelled
// when it ended without one of them.
enum class AlertResult { FirstButton, SecondButton, ThirdButton, Cancelled };

// What an alert says and offers.
struct AlertText {
    QString message;
    QString informativeText;
    // Up to three titles (more are left out); the first is the default button, the last one also answers
    // Esc. None gives "OK".
    QStringList buttons;
    // Shows the "Do not ask again" check box.
    bool showsSuppressionButton = false;
};

// Runs an alert window-modal over a window (opened, never run in a loop of its own) and calls a completion
// once it has ended. The completion runs exactly once, with the alert still alive (its check box can be
// read) and the button that ended it; the alert then deletes itself. When the window goes away first, the
// alert goes with it and the completion is never called. Main thread only.
class AlertRunner {
public:
    using Completion = std::function<void(QMessageBox& alert, AlertResult result)>;

    AlertRunner() = delete;

    // Returns at once with the open alert; a null completion is allowed.
    static QMessageBox* beginSheet(const AlertText& text, QWidget* window, Completion completion);
    // The alert's suppression check box is ticked.
    static bool isSuppressionChecked(const QMessageBox& alert);
};

} // namespace pairsift
