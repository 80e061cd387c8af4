#pragma once

#include <QString>

class QWidget;

namespace pairsift {

// Tells the user, window-modal over `window`, that something they asked for could not be done:
// `message` names it, `informativeText` says why or what they can do instead. One OK button. Main thread.
void alertFailure(QWidget* window, const QString& message, const QString& informativeText = QString());

// Reveals the item in the file manager and, should no file manager or folder window open, says so
// over `window` (if it is still there then).
void revealOrAlert(const QString& path, QWidget* window);

} // namespace pairsift
