#pragma once

#include <QPixmap>
#include <QWidget>

namespace pairsift {

// A horizontal three-part image across the view: the left slice as the start cap, the middle slice
// stretched between, the right slice as the end cap, copied over what was there (not blended).
class HVSlicedImageView : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    const QPixmap& leftSlice() const { return m_leftSlice; }
    void setLeftSlice(const QPixmap& slice);
    const QPixmap& middleSlice() const { return m_middleSlice; }
    void setMiddleSlice(const QPixmap& slice);
    const QPixmap& rightSlice() const { return m_rightSlice; }
    void setRightSlice(const QPixmap& slice);

    // Where each slice is drawn in a view of `width` by `height`; the caps keep their own widths (shrunk
    // evenly when they do not fit) and the middle takes what is left.
    struct SliceRects {
        QRect left;
        QRect middle;
        QRect right;
    };
    static SliceRects sliceRects(int width, int height, int leftWidth, int rightWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_leftSlice;
    QPixmap m_middleSlice;
    QPixmap m_rightSlice;
};

} // namespace pairsift
