#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace pairsift {

class CountingViewController;

// The counting screen: the number of files found so far, an indicator that animates while counting
// runs, and Stop. Everything it shows follows the controller's properties.
class CountingView : public QWidget {
    Q_OBJECT

public:
    // The controller must outlive the view.
    explicit CountingView(CountingViewController& controller, QWidget* parent = nullptr);

    QLabel* countLabel() const { return m_countLabel; }
    QProgressBar* progressIndicator() const { return m_progressIndicator; }
    QPushButton* stopButton() const { return m_stopButton; }

private:
    void showCount();
    void showState();

    CountingViewController& m_controller;
    QLabel* m_countLabel;
    QProgressBar* m_progressIndicator;
    QPushButton* m_stopButton;
};

} // namespace pairsift
