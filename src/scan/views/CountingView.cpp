#include "scan/views/CountingView.h"

#include "scan/CountingViewController.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace pairsift {

CountingView::CountingView(CountingViewController& controller, QWidget* parent)
    : QWidget(parent)
    , m_controller(controller)
    , m_countLabel(new QLabel(this))
    , m_progressIndicator(new QProgressBar(this))
    , m_stopButton(new QPushButton(tr("Stop"), this))
{
    m_countLabel->setAlignment(Qt::AlignCenter);
    m_progressIndicator->setTextVisible(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_stopButton);
    buttons->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_countLabel);
    layout->addWidget(m_progressIndicator);
    layout->addLayout(buttons);
    layout->addStretch();

    connect(m_stopButton, &QPushButton::clicked, &m_controller, &CountingViewController::stop);
    connect(&m_controller, &CountingViewController::countChanged, this, &CountingView::showCount);
    connect(&m_controller, &CountingViewController::countingChanged, this, &CountingView::showState);
    connect(&m_controller, &CountingViewController::userStoppedChanged, this, &CountingView::showState);
    showCount();
    showState();
}

void CountingView::showCount()
{
    m_countLabel->setText(QString::number(m_controller.count()));
}

void CountingView::showState()
{
    // A range of 0 to 0 is the busy indicator; any other range stands still.
    m_progressIndicator->setRange(0, m_controller.isCounting() ? 0 : 1);
    m_stopButton->setEnabled(m_controller.isCounting() && !m_controller.userStopped());
}

} // namespace pairsift
