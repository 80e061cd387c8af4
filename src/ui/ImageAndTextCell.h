#pragma once

#include "ui/ImageAndTextCellDelegate.h"

#include <QList>
#include <QStyledItemDelegate>

class QDataStream;

namespace pairsift {

// The cell that draws a small icon at the left of a row and the row's text beside it. It finds out what
// it shows by asking its delegate (not owned; while none is set the cell answers itself): the data
// element (else the row's display value), the icon (else the value at iconKeyPath of the data element)
// and the text (else the value at textKeyPath). Key paths read dotted properties of gadgets, objects and
// maps. Geometry: the icon sits 3 points in, one point above the vertical centre rounded up; the text
// starts 3 points after the icon, and an editor 3 points in even without an icon.
class ImageAndTextCell : public QStyledItemDelegate, public ImageAndTextCellDelegate {
    Q_OBJECT

public:
    explicit ImageAndTextCell(QObject* parent = nullptr);

    const QString& iconKeyPath() const { return m_iconKeyPath; }
    void setIconKeyPath(const QString& keyPath) { m_iconKeyPath = keyPath; }
    const QString& textKeyPath() const { return m_textKeyPath; }
    void setTextKeyPath(const QString& keyPath) { m_textKeyPath = keyPath; }

    // The cell itself while no delegate is set.
    ImageAndTextCellDelegate* delegate() const;
    void setDelegate(ImageAndTextCellDelegate* delegate) { m_delegate = delegate; }

    // The objects an archive holds in their own right, numbered by their place here. A delegate is written
    // only as a reference to one of them (conditionally): any other comes back as no delegate.
    using ArchivedDelegates = QList<ImageAndTextCellDelegate*>;
    // Writes "iconKeyPath", "textKeyPath" and, when it is one of `archived`, "delegate".
    void encodeWithCoder(QDataStream& stream, const ArchivedDelegates& archived = {}) const;
    // Reads what encodeWithCoder() wrote, the delegate resolved in the same list (not owned); false and
    // the cell unchanged when the stream is damaged.
    bool initWithCoder(QDataStream& stream, const ArchivedDelegates& archived = {});

    Qt::TextElideMode elideMode() const { return m_elideMode; }
    void setElideMode(Qt::TextElideMode mode) { m_elideMode = mode; }
    // Texts are paths: a text too long loses folders first and keeps its file name (elidedPath()).
    bool elidesPaths() const { return m_elidesPaths; }
    void setElidesPaths(bool elidesPaths) { m_elidesPaths = elidesPaths; }
    // A model role whose colour, when the model gives one, the text of a highlighted row takes instead
    // of the highlight's own; 0 for none.
    int highlightedForegroundRole() const { return m_highlightedForegroundRole; }
    void setHighlightedForegroundRole(int role) { m_highlightedForegroundRole = role; }

    QVariant getData(const QModelIndex& index) const;
    QIcon getImage(const QModelIndex& index) const;
    // Null when neither the delegate nor the text key path gives a text.
    QString getText(const QModelIndex& index) const;
    // getText(), else the row's display text.
    QString title(const QModelIndex& index) const;

    // Where an icon of this size is drawn in a cell frame; the null rectangle for an empty size.
    static QRect imageFrameForCellFrame(const QRect& cellFrame, const QSize& imageSize);
    // The frame without the icon column (the icon's width plus 3 points).
    static QRect textFrameForCellFrame(const QRect& cellFrame, int imageWidth);

    // The cell's own answers.
    std::optional<QVariant> dataElementForCell(const ImageAndTextCell& cell, const QModelIndex& index) override;
    std::optional<QIcon> iconForCell(const ImageAndTextCell& cell, const QVariant& data) override;
    std::optional<QString> textForCell(const ImageAndTextCell& cell, const QVariant& data) override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QSize iconSize(const QIcon& icon, const QStyleOptionViewItem& option) const;

    QString m_iconKeyPath;
    QString m_textKeyPath;
    ImageAndTextCellDelegate* m_delegate = nullptr;
    Qt::TextElideMode m_elideMode = Qt::ElideRight;
    bool m_elidesPaths = false;
    int m_highlightedForegroundRole = 0;
};

} // namespace pairsift
