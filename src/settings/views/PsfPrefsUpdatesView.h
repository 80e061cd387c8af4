#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;

namespace pairsift {

class PsfPrefsUpdatesController;

// The Updates pane: whether and how often the updater checks by itself; without an update feed, a plain
// sentence that this build gets no updates through the program.
class PsfPrefsUpdatesView : public QWidget {
    Q_OBJECT

public:
    explicit PsfPrefsUpdatesView(PsfPrefsUpdatesController& controller, QWidget* parent = nullptr);

    static QString notAvailableText();

private:
    void showSettings();

    PsfPrefsUpdatesController& m_controller;
    QCheckBox* m_automaticChecks = nullptr;
    QComboBox* m_interval = nullptr;
};

} // namespace pairsift
