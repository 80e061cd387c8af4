#include "ui/HVSlicedImageView.h"

#include <QPainter>

#include <algorithm>

namespace pairsift {

void HVSlicedImageView::setLeftSlice(const QPixmap& slice)
{
    m_leftSlice = slice;
    update();
}

void HVSlicedImageView::setMiddleSlice(const QPixmap& slice)
{
    m_middleSlice = slice;
    update();
}

void HVSlicedImageView::setRightSlice(const QPixmap& slice)
{
    m_rightSlice = slice;
    update();
}

HVSlicedImageView::SliceRects HVSlicedImageView::sliceRects(int width, int height, int leftWidth, int rightWidth)
{
    const int caps = leftWidth + rightWidth;
    if (caps > width && caps > 0) {
        leftWidth = leftWidth * width / caps;
        rightWidth = width - leftWidth;
    }
    const int middleWidth = std::max(0, width - leftWidth - rightWidth);
    return SliceRects{QRect(0, 0, leftWidth, height), QRect(leftWidth, 0, middleWidth, height),
                      QRect(width - rightWidth, 0, rightWidth, height)};
}

void HVSlicedImageView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const SliceRects rects = sliceRects(width(), height(), m_leftSlice.width(), m_rightSlice.width());
    const auto draw = [&painter](const QRect& target, const QPixmap& slice) {
        if (!slice.isNull() && !target.isEmpty())
            painter.drawPixmap(target, slice);
    };
    draw(rects.left, m_leftSlice);
    draw(rects.middle, m_middleSlice);
    draw(rects.right, m_rightSlice);
}

} // namespace pairsift
