#include "ui/RunAlertSheet.h"

namespace pairsift {

void beginAlertSheet(const QString& message, const QStringList& buttonTitles, QWidget* window,
                     AlertRunner::Completion completion, const QString& informativeText)
{
    AlertText text{message, informativeText, {}};
    for (const QString& title : buttonTitles) {
        if (!title.isNull())
            text.buttons.append(title);
    }
    AlertRunner::beginSheet(text, window, std::move(completion));
}

} // namespace pairsift
