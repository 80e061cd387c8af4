#include "settings/Filter.h"

namespace pairsift {

namespace {

const QString globKey = QStringLiteral("glob");

} // namespace

Filter::Filter() : m_glob(QString::fromUtf8(newFilterText)) {}

Filter::Filter(const QVariantMap& coder)
{
    const QVariant glob = coder.value(globKey);
    if (glob.metaType().id() == QMetaType::QString)
        m_glob = glob.toString();
}

void Filter::encode(QVariantMap& coder) const
{
    coder.insert(globKey, m_glob);
}

} // namespace pairsift
