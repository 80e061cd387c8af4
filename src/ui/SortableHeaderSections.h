#pragma once

#include <QObject>

#include <functional>

class QHeaderView;

namespace pairsift {

// Lets only the columns that have an order take clicks in a sorting header: a click on any other section
// neither moves the sort indicator nor shows the section pressed. Resizing by any section's edge still works.
// Owned by the header.
class SortableHeaderSections : public QObject {
    Q_OBJECT

public:
    using IsSortable = std::function<bool(int logicalIndex)>;

    SortableHeaderSections(QHeaderView* header, IsSortable isSortable);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QHeaderView* m_header;
    IsSortable m_isSortable;
};

} // namespace pairsift
