#include "ui/Animations.h"
#include "ui/HVSlicedImageView.h"

#include <QLabel>
#include <QStackedWidget>

#include <gtest/gtest.h>

namespace pairsift {
namespace {

TEST(HVSlicedImageView, capsKeepTheirWidthsAndTheMiddleFills)
{
    const struct {
        int width;
        int left;
        int right;
        QRect expectedLeft;
        QRect expectedMiddle;
        QRect expectedRight;
    } cases[] = {
        {100, 10, 12, QRect(0, 0, 10, 20), QRect(10, 0, 78, 20), QRect(88, 0, 12, 20)},
        {10, 10, 10, QRect(0, 0, 5, 20), QRect(5, 0, 0, 20), QRect(5, 0, 5, 20)},
        {50, 0, 0, QRect(0, 0, 0, 20), QRect(0, 0, 50, 20), QRect(50, 0, 0, 20)},
    };
    for (const auto& testCase : cases) {
        const auto rects = HVSlicedImageView::sliceRects(testCase.width, 20, testCase.left, testCase.right);
        EXPECT_EQ(rects.left, testCase.expectedLeft) << testCase.width;
        EXPECT_EQ(rects.middle, testCase.expectedMiddle) << testCase.width;
        EXPECT_EQ(rects.right, testCase.expectedRight) << testCase.width;
    }
}

TEST(Animations, directionsAndAnImmediateSwap)
{
    QStackedWidget stack;
    auto* first = new QLabel(QStringLiteral("first"));
    auto* second = new QLabel(QStringLiteral("second"));
    stack.addWidget(first);
    stack.addWidget(second);
    stack.resize(200, 100);
    stack.show();
    for (int duration : {0, 1000}) {
        Animations::setDuration(duration);
        Animations::replaceView(&stack, second, Animations::slideLeftAnimation());
        EXPECT_EQ(stack.currentWidget(), second) << "the new view is current at once, duration " << duration;
        // Sliding left, the new view enters from the right; sliding right, from the left.
        if (duration > 0) {
            EXPECT_GT(second->x(), 0);
        }
        Animations::replaceView(&stack, first, Animations::slideRightAnimation());
        EXPECT_EQ(stack.currentWidget(), first);
        if (duration > 0) {
            EXPECT_LT(first->x(), 0);
        }
    }
    Animations::setDuration(0);
}

} // namespace
} // namespace pairsift
