#include "results/views/PreviewPictureView.h"

#include <QPainter>

namespace pairsift {

PreviewPictureView::PreviewPictureView(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(1, 1);
}

void PreviewPictureView::setPicture(const QImage& picture)
{
    m_picture = picture;
    m_scaled = QPixmap();
    update();
}

QRect PreviewPictureView::pictureRect() const
{
    if (m_picture.isNull())
        return {};
    const QSize room = size().boundedTo(m_picture.size());
    QRect frame(QPoint(), m_picture.size().scaled(room, Qt::KeepAspectRatio));
    frame.moveCenter(rect().center());
    return frame;
}

void PreviewPictureView::paintEvent(QPaintEvent*)
{
    const QRect frame = pictureRect();
    if (frame.isEmpty())
        return;
    if (m_scaled.size() != frame.size())
        m_scaled = QPixmap::fromImage(m_picture.scaled(frame.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    QPainter(this).drawPixmap(frame.topLeft(), m_scaled);
}

} // namespace pairsift
