#pragma once

#include "settings/HVRFileSizeUnit.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace pairsift {

class SettingsObservation;

// The General pane without its widgets: the settings it edits, each written to the settings store at
// once and re-read whenever anything changes it, the size units of the threshold, and the log file.
// Main thread only.
class PsfPrefsGeneralController : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool logging READ logging WRITE setLogging NOTIFY settingsChanged)
    Q_PROPERTY(bool ignoreSmallFiles READ ignoreSmallFiles WRITE setIgnoreSmallFiles NOTIFY settingsChanged)
    Q_PROPERTY(qint64 smallFileSize READ smallFileSize WRITE setSmallFileSize NOTIFY settingsChanged)
    Q_PROPERTY(int smallFileSizeUnit READ smallFileSizeUnit WRITE setSmallFileSizeUnit NOTIFY settingsChanged)
    Q_PROPERTY(bool confirmDeleteLocation READ confirmDeleteLocation WRITE setConfirmDeleteLocation NOTIFY settingsChanged)
    Q_PROPERTY(QString currentLogFilePath READ currentLogFilePath WRITE setCurrentLogFilePath NOTIFY currentLogFilePathChanged)

public:
    // Shows a file or folder in the file manager.
    using Reveal = std::function<void(const QString& path)>;

    explicit PsfPrefsGeneralController(Reveal reveal, QObject* parent = nullptr);
    ~PsfPrefsGeneralController() override;

    // The units the threshold is entered in, in the index order of "small_file_size_unit".
    const QList<HVRFileSizeUnit>& fileSizeUnits() const { return m_fileSizeUnits; }

    // "logging": the main window observes it and starts or ends the log file.
    bool logging() const;
    void setLogging(bool logging);
    bool ignoreSmallFiles() const;
    void setIgnoreSmallFiles(bool ignoreSmallFiles);
    // The threshold as the scan uses it, in units of smallFileSizeUnit(): a stored 0 shows as 100, a
    // negative value (which skips nothing) as it is.
    qint64 smallFileSize() const;
    void setSmallFileSize(qint64 smallFileSize);
    // An index into fileSizeUnits(); a stored index out of range shows as the one the scan uses (1).
    int smallFileSizeUnit() const;
    void setSmallFileSizeUnit(int index);
    bool confirmDeleteLocation() const;
    void setConfirmDeleteLocation(bool confirmDeleteLocation);

    const QString& currentLogFilePath() const { return m_currentLogFilePath; }
    void setCurrentLogFilePath(const QString& path);

    // The log file when it exists, else its folder when that exists, else nothing (null).
    static QString logRevealTarget(const QString& logFilePath);
    // Shows logRevealTarget() of the current log file; does nothing when it is null.
    void revealLogsInFinder();

Q_SIGNALS:
    void settingsChanged();
    void currentLogFilePathChanged();

private:
    const QList<HVRFileSizeUnit> m_fileSizeUnits;
    QString m_currentLogFilePath;
    Reveal m_reveal;
    std::unique_ptr<SettingsObservation> m_observation;
};

} // namespace pairsift
