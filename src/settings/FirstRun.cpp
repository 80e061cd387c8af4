#include "settings/FirstRun.h"

#include "platform/UserDefaults.h"
#include "settings/SettingsKeys.h"

namespace pairsift {

namespace {

// ISO 8601 in UTC with milliseconds reads back to the very same instant.
QString dateText(const QDateTime& date)
{
    return date.toUTC().toString(Qt::ISODateWithMs);
}

QDateTime dateFromText(const QString& text)
{
    return QDateTime::fromString(text, Qt::ISODateWithMs);
}

} // namespace

FirstRun::FirstRun()
{
    UserDefaults& defaults = UserDefaults::standard();
    const QString stored = defaults.stringValue(SettingsKey::FirstRunDate);
    if (!stored.isNull()) {
        m_date = dateFromText(stored);
        return;
    }
    m_firstRun = true;
    m_date = QDateTime::currentDateTimeUtc();
    defaults.setValue(SettingsKey::FirstRunDate, dateText(m_date));
}

} // namespace pairsift
