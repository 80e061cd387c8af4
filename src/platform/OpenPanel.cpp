#include "platform/OpenPanel.h"

namespace pairsift {

void OpenPanel::finish(const Completion& done, const QList<QUrl>& chosen)
{
    m_URLs = chosen;
    done(chosen.isEmpty() ? std::nullopt : std::optional<QString>(chosen.first().toLocalFile()));
}

} // namespace pairsift
