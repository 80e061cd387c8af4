#include "settings/PsfPrefsGeneralController.h"

#include "platform/UserDefaults.h"
#include "settings/PairsiftDefaults.h"
#include "settings/SettingsKeys.h"
#include "settings/SettingsObservation.h"

#include <QFileInfo>

namespace pairsift {

PsfPrefsGeneralController::PsfPrefsGeneralController(Reveal reveal, QObject* parent)
    : QObject(parent)
    , m_fileSizeUnits(HVRFileSizeUnit::defaultFileSizeUnits())
    , m_reveal(std::move(reveal))
    , m_observation(std::make_unique<SettingsObservation>(
          QStringList{SettingsKey::Logging, SettingsKey::IgnoreSmallFiles, SettingsKey::SmallFileSize,
              SettingsKey::SmallFileSizeUnit, SettingsKey::ConfirmDeleteLocation},
          this, [this] { Q_EMIT settingsChanged(); }))
{
}

PsfPrefsGeneralController::~PsfPrefsGeneralController() = default;

bool PsfPrefsGeneralController::logging() const
{
    return PairsiftDefaults::logging();
}

void PsfPrefsGeneralController::setLogging(bool logging)
{
    UserDefaults::standard().setValue(SettingsKey::Logging, logging);
}

bool PsfPrefsGeneralController::ignoreSmallFiles() const
{
    return PairsiftDefaults::ignoreSmallFiles();
}

void PsfPrefsGeneralController::setIgnoreSmallFiles(bool ignoreSmallFiles)
{
    UserDefaults::standard().setValue(SettingsKey::IgnoreSmallFiles, ignoreSmallFiles);
}

qint64 PsfPrefsGeneralController::smallFileSize() const
{
    return PairsiftDefaults::smallFileSizeValue();
}

void PsfPrefsGeneralController::setSmallFileSize(qint64 smallFileSize)
{
    UserDefaults::standard().setValue(SettingsKey::SmallFileSize, smallFileSize);
}

int PsfPrefsGeneralController::smallFileSizeUnit() const
{
    return static_cast<int>(PairsiftDefaults::smallFileSizeUnitIndex());
}

void PsfPrefsGeneralController::setSmallFileSizeUnit(int index)
{
    UserDefaults::standard().setValue(SettingsKey::SmallFileSizeUnit, qint64(index));
}

bool PsfPrefsGeneralController::confirmDeleteLocation() const
{
    return PairsiftDefaults::confirmDeleteLocation();
}

void PsfPrefsGeneralController::setConfirmDeleteLocation(bool confirmDeleteLocation)
{
    PairsiftDefaults::setConfirmDeleteLocation(confirmDeleteLocation);
}

void PsfPrefsGeneralController::setCurrentLogFilePath(const QString& path)
{
    if (path == m_currentLogFilePath)
        return;
    m_currentLogFilePath = path;
    Q_EMIT currentLogFilePathChanged();
}

QString PsfPrefsGeneralController::logRevealTarget(const QString& logFilePath)
{
    if (logFilePath.isEmpty())
        return {};
    const QFileInfo file(logFilePath);
    if (file.exists())
        return file.absoluteFilePath();
    // Logging is off, or was never on in this launch: the Logs folder, if there is one.
    const QFileInfo folder(file.absolutePath());
    return folder.isDir() ? folder.absoluteFilePath() : QString();
}

void PsfPrefsGeneralController::revealLogsInFinder()
{
    const QString target = logRevealTarget(m_currentLogFilePath);
    if (!target.isNull() && m_reveal)
        m_reveal(target);
}

} // namespace pairsift
