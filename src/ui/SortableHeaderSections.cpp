#include "ui/SortableHeaderSections.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QStyle>

namespace pairsift {

SortableHeaderSections::SortableHeaderSections(QHeaderView* header, IsSortable isSortable)
    : QObject(header)
    , m_header(header)
    , m_isSortable(std::move(isSortable))
{
    header->viewport()->installEventFilter(this);
}

bool SortableHeaderSections::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
        return QObject::eventFilter(watched, event);
    const int position = m_header->orientation() == Qt::Horizontal ? static_cast<QMouseEvent*>(event)->position().toPoint().x()
                                                                    : static_cast<QMouseEvent*>(event)->position().toPoint().y();
    const int logical = m_header->logicalIndexAt(position);
    if (logical < 0 || m_isSortable(logical))
        return QObject::eventFilter(watched, event);
    // Within the grip margin of either edge the header resizes; that stays.
    const int margin = m_header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, m_header);
    const int start = m_header->sectionViewportPosition(logical);
    const int end = start + m_header->sectionSize(logical);
    if (position < start + margin || position > end - margin)
        return QObject::eventFilter(watched, event);
    return true;
}

} // namespace pairsift
