#include "ui/ImageAndTextCell.h"

#include "ui/PathElision.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDataStream>
#include <QMetaProperty>
#include <QPainter>
#include <QStyle>

#include <cmath>

namespace pairsift {

namespace {

// Between the left edge and the icon, and between the icon and the text.
constexpr int Margin = 3;

QVariant propertyOf(const QVariant& value, const QByteArray& name)
{
    const QMetaType type = value.metaType();
    if (type.flags().testFlag(QMetaType::IsGadget)) {
        const QMetaObject* meta = type.metaObject();
        const int index = meta ? meta->indexOfProperty(name.constData()) : -1;
        return index < 0 ? QVariant() : meta->property(index).readOnGadget(value.constData());
    }
    if (type.flags().testFlag(QMetaType::PointerToQObject)) {
        const QObject* object = value.value<QObject*>();
        return object ? object->property(name.constData()) : QVariant();
    }
    if (value.canConvert<QVariantMap>())
        return value.toMap().value(QString::fromUtf8(name));
    return {};
}

// Key-value reading of a dotted path; invalid when a step has no such property.
QVariant valueAtKeyPath(const QVariant& value, const QString& keyPath)
{
    QVariant current = value;
    for (const QString& key : keyPath.split(QLatin1Char('.'))) {
        current = propertyOf(current, key.toUtf8());
        if (!current.isValid())
            break;
    }
    return current;
}

} // namespace

ImageAndTextCell::ImageAndTextCell(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

ImageAndTextCellDelegate* ImageAndTextCell::delegate() const
{
    return m_delegate ? m_delegate : const_cast<ImageAndTextCell*>(this);
}

std::optional<QVariant> ImageAndTextCell::dataElementForCell(const ImageAndTextCell&, const QModelIndex& index)
{
    return index.data(Qt::DisplayRole);
}

std::optional<QIcon> ImageAndTextCell::iconForCell(const ImageAndTextCell&, const QVariant& data)
{
    if (m_iconKeyPath.isNull())
        return QIcon();
    return valueAtKeyPath(data, m_iconKeyPath).value<QIcon>();
}

std::optional<QString> ImageAndTextCell::textForCell(const ImageAndTextCell&, const QVariant& data)
{
    if (m_textKeyPath.isNull())
        return QString();
    const QVariant text = valueAtKeyPath(data, m_textKeyPath);
    return text.isValid() ? text.toString() : QString();
}

void ImageAndTextCell::encodeWithCoder(QDataStream& stream, const ArchivedDelegates& archived) const
{
    QVariantMap keyed{{QStringLiteral("iconKeyPath"), m_iconKeyPath}, {QStringLiteral("textKeyPath"), m_textKeyPath}};
    // The cell answering itself is no reference at all.
    if (const qsizetype number = m_delegate ? archived.indexOf(m_delegate) : -1; number >= 0)
        keyed.insert(QStringLiteral("delegate"), qint64(number));
    stream << keyed;
}

bool ImageAndTextCell::initWithCoder(QDataStream& stream, const ArchivedDelegates& archived)
{
    QVariantMap keyed;
    stream >> keyed;
    const QVariant icon = keyed.value(QStringLiteral("iconKeyPath"));
    const QVariant text = keyed.value(QStringLiteral("textKeyPath"));
    const auto isKeyPath = [](const QVariant& value) { return value.metaType() == QMetaType::fromType<QString>(); };
    if (stream.status() != QDataStream::Ok || !isKeyPath(icon) || !isKeyPath(text))
        return false;
    m_iconKeyPath = icon.toString();
    m_textKeyPath = text.toString();
    const QVariant reference = keyed.value(QStringLiteral("delegate"));
    bool isNumber = false;
    const qint64 number = reference.toLongLong(&isNumber);
    m_delegate = isNumber && number >= 0 && number < archived.size() ? archived.at(number) : nullptr;
    return true;
}

QVariant ImageAndTextCell::getData(const QModelIndex& index) const
{
    auto* self = const_cast<ImageAndTextCell*>(this);
    if (std::optional<QVariant> data = delegate()->dataElementForCell(*this, index))
        return *data;
    return *self->dataElementForCell(*this, index);
}

QIcon ImageAndTextCell::getImage(const QModelIndex& index) const
{
    auto* self = const_cast<ImageAndTextCell*>(this);
    const QVariant data = getData(index);
    if (std::optional<QIcon> icon = delegate()->iconForCell(*this, data))
        return *icon;
    return *self->iconForCell(*this, data);
}

QString ImageAndTextCell::getText(const QModelIndex& index) const
{
    auto* self = const_cast<ImageAndTextCell*>(this);
    const QVariant data = getData(index);
    if (std::optional<QString> text = delegate()->textForCell(*this, data))
        return *text;
    return *self->textForCell(*this, data);
}

QString ImageAndTextCell::title(const QModelIndex& index) const
{
    const QString text = getText(index);
    return text.isNull() ? index.data(Qt::DisplayRole).toString() : text;
}

QRect ImageAndTextCell::imageFrameForCellFrame(const QRect& cellFrame, const QSize& imageSize)
{
    if (imageSize.isEmpty())
        return {};
    const int y = cellFrame.y() + static_cast<int>(std::ceil((cellFrame.height() - imageSize.height()) * 0.5 - 1.0));
    return QRect(QPoint(cellFrame.x() + Margin, y), imageSize);
}

QRect ImageAndTextCell::textFrameForCellFrame(const QRect& cellFrame, int imageWidth)
{
    return cellFrame.adjusted(imageWidth + Margin, 0, 0, 0);
}

QSize ImageAndTextCell::iconSize(const QIcon& icon, const QStyleOptionViewItem& option) const
{
    return icon.isNull() ? QSize() : icon.actualSize(option.decorationSize);
}

void ImageAndTextCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text = title(index);
    cell.icon = QIcon();
    cell.features &= ~QStyleOptionViewItem::HasDecoration;
    cell.textElideMode = m_elideMode;
    if (m_highlightedForegroundRole != 0 && cell.state.testFlag(QStyle::State_Selected)) {
        const QVariant color = index.data(m_highlightedForegroundRole);
        if (color.canConvert<QColor>())
            cell.palette.setColor(QPalette::HighlightedText, color.value<QColor>());
    }
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();

    const QIcon icon = getImage(index);
    if (!icon.isNull()) {
        const QSize size = iconSize(icon, option);
        // The highlight and background span the icon column too.
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
        const QIcon::Mode mode = (cell.state & QStyle::State_Enabled) ? QIcon::Normal : QIcon::Disabled;
        icon.paint(painter, imageFrameForCellFrame(cell.rect, size), Qt::AlignCenter, mode);
        cell.rect = textFrameForCellFrame(cell.rect, size.width());
    }
    if (m_elidesPaths) {
        // The style draws the text this far in from either edge of its rectangle, and measures it in
        // fractions of a pixel: a text as wide as the room in whole pixels can still be cut at its end.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const int width = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget).width() - 2 * margin - 1;
        cell.text = elidedPath(cell.text, QFontMetrics(cell.font), width);
    }
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
}

QSize ImageAndTextCell::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    cell.text = title(index);
    cell.icon = QIcon();
    cell.features &= ~QStyleOptionViewItem::HasDecoration;
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &cell, QSize(), widget);
    const QSize icon = iconSize(getImage(index), option);
    if (!icon.isEmpty())
        size = QSize(size.width() + icon.width() + Margin, std::max(size.height(), icon.height()));
    return size;
}

void ImageAndTextCell::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                            const QModelIndex& index) const
{
    // The editor always leaves the icon column free, 3 points of it even without an icon.
    const QSize icon = iconSize(getImage(index), option);
    QStyleOptionViewItem cell = option;
    cell.rect = textFrameForCellFrame(option.rect, icon.isEmpty() ? 0 : icon.width());
    QStyledItemDelegate::updateEditorGeometry(editor, cell, index);
}

} // namespace pairsift
