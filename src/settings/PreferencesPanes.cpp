#include "settings/PreferencesPanes.h"

namespace pairsift {

PreferencesPane paneForTag(qint64 tag)
{
    switch (static_cast<PreferencesPane>(tag)) {
    case PreferencesPane::Filters:
    case PreferencesPane::Updates:
        return static_cast<PreferencesPane>(tag);
    case PreferencesPane::General:
        break;
    }
    return PreferencesPane::General;
}

QRect newFrameForNewContentView(const QRect& currentFrame, const QSize& chromeSize, const QSize& contentSize)
{
    return QRect(currentFrame.topLeft(), contentSize + chromeSize);
}

} // namespace pairsift
