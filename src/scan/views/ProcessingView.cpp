#include "scan/views/ProcessingView.h"

#include "scan/ProcessingViewController.h"

#include <QBoxLayout>
#include <QFont>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <algorithm>
#include <cstdint>

namespace pairsift {

namespace {

// The share of `maximum` that `value` covers, in bar steps; an unknown maximum shows an empty bar.
int barValue(std::uint64_t value, std::uint64_t maximum)
{
    if (maximum == 0)
        return 0;
    const double fraction = std::min(1.0, static_cast<double>(value) / static_cast<double>(maximum));
    return static_cast<int>(fraction * ProcessingView::barSteps);
}

QProgressBar* makeBar(QWidget* parent)
{
    auto* bar = new QProgressBar(parent);
    bar->setRange(0, ProcessingView::barSteps);
    bar->setTextVisible(false);
    return bar;
}

} // namespace

ProcessingView::ProcessingView(ProcessingViewController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_stageLabel(new QLabel(this))
    , m_progressBar(makeBar(this))
    , m_progressLabel(new QLabel(this))
    , m_elapsedLabel(new QLabel(this))
    , m_remainingLabel(new QLabel(this))
    , m_fileNameLabel(new QLabel(this))
    , m_fileProgressBar(makeBar(this))
    , m_stopButton(new QPushButton(tr("Stop"), this))
{
    QFont stageFont = m_stageLabel->font();
    stageFont.setBold(true);
    m_stageLabel->setFont(stageFont);
    // A long path must not widen the window; the full path stays in the tool tip.
    m_fileNameLabel->setMinimumWidth(1);
    m_fileNameLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto* times = new QHBoxLayout;
    times->addWidget(m_progressLabel);
    times->addStretch();
    times->addWidget(m_elapsedLabel);
    times->addSpacing(12);
    times->addWidget(m_remainingLabel);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_stopButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_stageLabel);
    layout->addWidget(m_progressBar);
    layout->addLayout(times);
    layout->addWidget(m_fileNameLabel);
    layout->addWidget(m_fileProgressBar);
    layout->addStretch();
    layout->addLayout(buttons);

    using Controller = ProcessingViewController;
    connect(&controller, &Controller::stageChanged, this, &ProcessingView::showStage);
    connect(&controller, &Controller::doneChanged, this, &ProcessingView::showProgress);
    connect(&controller, &Controller::totalChanged, this, &ProcessingView::showProgress);
    connect(&controller, &Controller::progressStringChanged, this, &ProcessingView::showTexts);
    connect(&controller, &Controller::elapsedTimeStringChanged, this, &ProcessingView::showTexts);
    connect(&controller, &Controller::remainingTimeStringChanged, this, &ProcessingView::showTexts);
    connect(&controller, &Controller::fileNameChanged, this, &ProcessingView::showFile);
    connect(&controller, &Controller::fileDoneChanged, this, &ProcessingView::showFileProgress);
    connect(&controller, &Controller::fileTotalChanged, this, &ProcessingView::showFileProgress);
    connect(&controller, &Controller::fileProgressVisibleChanged, this, &ProcessingView::showFileProgress);
    connect(&controller, &Controller::userStoppedChanged, this, &ProcessingView::showStopState);
    connect(&controller, &Controller::runningChanged, this, &ProcessingView::showStopState);
    connect(m_stopButton, &QPushButton::clicked, &controller, &Controller::stop);

    showStage();
    showProgress();
    showTexts();
    showFile();
    showFileProgress();
    showStopState();
}

void ProcessingView::showStage()
{
    m_stageLabel->setText(m_controller.stage());
}

void ProcessingView::showProgress()
{
    m_progressBar->setValue(barValue(m_controller.done(), m_controller.total()));
}

void ProcessingView::showTexts()
{
    m_progressLabel->setText(m_controller.progressString());
    m_elapsedLabel->setText(m_controller.elapsedTimeString());
    m_remainingLabel->setText(m_controller.remainingTimeString());
}

void ProcessingView::showFile()
{
    m_fileNameLabel->setText(m_controller.fileName());
    m_fileNameLabel->setToolTip(m_controller.fileName());
}

void ProcessingView::showFileProgress()
{
    m_fileProgressBar->setValue(barValue(m_controller.fileDone(), m_controller.fileTotal()));
    m_fileProgressBar->setVisible(m_controller.fileProgressVisible());
}

void ProcessingView::showStopState()
{
    // One request is enough; the run ends at the next report.
    m_stopButton->setEnabled(m_controller.isRunning() && !m_controller.userStopped());
}

} // namespace pairsift
