#include "ui/Animations.h"

#include <QLabel>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QStackedWidget>

#include <atomic>

namespace pairsift {

namespace {

// The platform's usual length of a view push.
std::atomic<int> transitionDuration{250};

} // namespace

int Animations::duration()
{
    return transitionDuration.load(std::memory_order_relaxed);
}

void Animations::setDuration(int milliseconds)
{
    transitionDuration.store(milliseconds, std::memory_order_relaxed);
}

void Animations::replaceView(QStackedWidget* stack, QWidget* newView, SlideTransition transition)
{
    QWidget* oldView = stack->currentWidget();
    if (oldView == newView)
        return;
    if (duration() <= 0 || !stack->isVisible() || !oldView) {
        stack->setCurrentWidget(newView);
        return;
    }
    // A picture of the old view slides out while the live new view slides in.
    auto* oldPicture = new QLabel(stack);
    oldPicture->setPixmap(oldView->grab());
    oldPicture->setGeometry(oldView->geometry());
    stack->setCurrentWidget(newView);
    oldPicture->show();
    oldPicture->raise();

    const int width = stack->width();
    const int sign = transition == SlideTransition::PushFromRight ? 1 : -1;
    const QPoint origin = newView->pos();
    auto* group = new QParallelAnimationGroup(stack);
    const auto slide = [&](QWidget* widget, QPoint from, QPoint to) {
        auto* animation = new QPropertyAnimation(widget, "pos", group);
        animation->setDuration(duration());
        animation->setEasingCurve(QEasingCurve::InOutQuad);
        animation->setStartValue(from);
        animation->setEndValue(to);
        group->addAnimation(animation);
    };
    slide(newView, origin + QPoint(sign * width, 0), origin);
    slide(oldPicture, origin, origin - QPoint(sign * width, 0));
    QObject::connect(group, &QAbstractAnimation::finished, oldPicture, &QObject::deleteLater);
    group->start(QAbstractAnimation::DeleteWhenStopped);
}

} // namespace pairsift
