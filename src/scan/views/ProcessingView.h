#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pairsift {

class ProcessingViewController;

// The comparison's progress as the user sees it: the stage, the overall bar and percentage, elapsed and
// remaining time, the current file with its own bar while that file takes long, and a Stop button. It
// only observes the controller, which must outlive it.
class ProcessingView : public QWidget {
    Q_OBJECT

public:
    // Steps of both bars, so that file and run sizes beyond the range of int still fill them evenly.
    static constexpr int barSteps = 10000;

    explicit ProcessingView(ProcessingViewController& controller, QWidget* parent = nullptr);

    QLabel* stageLabel() const { return m_stageLabel; }
    QProgressBar* progressBar() const { return m_progressBar; }
    QLabel* progressLabel() const { return m_progressLabel; }
    QLabel* elapsedLabel() const { return m_elapsedLabel; }
    QLabel* remainingLabel() const { return m_remainingLabel; }
    QLabel* fileNameLabel() const { return m_fileNameLabel; }
    QProgressBar* fileProgressBar() const { return m_fileProgressBar; }
    QPushButton* stopButton() const { return m_stopButton; }

private:
    void showStage();
    void showProgress();
    void showTexts();
    void showFile();
    void showFileProgress();
    void showStopState();

    ProcessingViewController& m_controller;
    QLabel* m_stageLabel;
    QProgressBar* m_progressBar;
    QLabel* m_progressLabel;
    QLabel* m_elapsedLabel;
    QLabel* m_remainingLabel;
    QLabel* m_fileNameLabel;
    QProgressBar* m_fileProgressBar;
    QPushButton* m_stopButton;
};

} // namespace pairsift
