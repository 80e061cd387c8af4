#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

namespace pairsift {

// Shows one picture as large as the view allows, never larger than the picture itself, centred; it
// follows every resize, the preview's opening zoom included. The scaled picture is kept for the size it
// was made for, so repaints at one size scale once.
class PreviewPictureView : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPictureView(QWidget* parent = nullptr);

    void setPicture(const QImage& picture);
    const QImage& picture() const { return m_picture; }
    // Where the picture is drawn at the view's current size; empty without one.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QPixmap m_scaled;
};

} // namespace pairsift
