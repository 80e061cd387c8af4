#pragma once

#include "platform/Format.h"
#include "ui/AlertRunner.h"

namespace pairsift {

// Begins a window-modal alert and returns at once; the completion (may be null) runs when it ends. The
// buttons are the titles given, in order, a null title left out; the first one is the default. With no
// title at all the alert offers "OK", so it can always be dismissed. A null informative text shows none.
void beginAlertSheet(const QString& message, const QStringList& buttonTitles, QWidget* window,
                     AlertRunner::Completion completion, const QString& informativeText);

// The same in one call, the informative text made from a printf-style format (none when the format is
// null) and its arguments.
template <typename... Arguments>
void runAlertSheetWithFormat(const QString& message, const QString& firstButton, const QString& secondButton,
                             const QString& thirdButton, QWidget* window, AlertRunner::Completion completion,
                             const char* format, const Arguments&... arguments)
{
    beginAlertSheet(message, {firstButton, secondButton, thirdButton}, window, std::move(completion),
                    format ? formatString(format, arguments...) : QString());
}

} // namespace pairsift
