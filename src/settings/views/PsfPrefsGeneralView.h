#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;

namespace pairsift {

class PsfPrefsGeneralController;

// The General pane: the small-file threshold with its unit, the confirmation before removing a
// location, and the log file. Each control writes through the controller at once and follows the
// setting when anything else changes it.
class PsfPrefsGeneralView : public QWidget {
    Q_OBJECT

public:
    explicit PsfPrefsGeneralView(PsfPrefsGeneralController& controller, QWidget* parent = nullptr);

private:
    // Shows the settings as they are now, without writing them back.
    void showSettings();
    void showLogFilePath();

    PsfPrefsGeneralController& m_controller;
    QCheckBox* m_ignoreSmallFiles;
    QSpinBox* m_smallFileSize;
    QComboBox* m_smallFileSizeUnit;
    QCheckBox* m_confirmDeleteLocation;
    QCheckBox* m_logging;
    QLineEdit* m_logFilePath;
};

} // namespace pairsift
