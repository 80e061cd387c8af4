#pragma once

#include <QModelIndexList>
#include <QTreeView>

namespace pairsift {

class KeyForwardingOutlineView;

// What the outline view asks before it handles the space bar and the arrow keys itself. Each answer is
// whether the delegate handled the key; the defaults handle nothing.
class KeyForwardingDelegate {
public:
    virtual ~KeyForwardingDelegate() = default;
    virtual bool userDidPressSpaceInOutlineView(KeyForwardingOutlineView* view) { Q_UNUSED(view); return false; }
    virtual bool userDidPressUpInOutlineView(KeyForwardingOutlineView* view) { Q_UNUSED(view); return false; }
    virtual bool userDidPressDownInOutlineView(KeyForwardingOutlineView* view) { Q_UNUSED(view); return false; }
    virtual bool userDidPressLeftInOutlineView(KeyForwardingOutlineView* view) { Q_UNUSED(view); return false; }
    virtual bool userDidPressRightInOutlineView(KeyForwardingOutlineView* view) { Q_UNUSED(view); return false; }
};

// A tree view that offers space and the four arrows to its key delegate first; keys the delegate does not
// handle, and every other key, get the view's own handling.
class KeyForwardingOutlineView : public QTreeView {
    Q_OBJECT

public:
    explicit KeyForwardingOutlineView(QWidget* parent = nullptr);

    // Not owned; the owner clears it before it goes.
    KeyForwardingDelegate* keyDelegate() const { return m_keyDelegate; }
    void setKeyDelegate(KeyForwardingDelegate* delegate) { m_keyDelegate = delegate; }

    // The first-column index of every selected row that is shown (its ancestors expanded), top to bottom.
    QModelIndexList selectedItems() const;

    // Public so that a window that shows the list's content can hand its keys to the list.
    void keyPressEvent(QKeyEvent* event) override;

private:
    KeyForwardingDelegate* m_keyDelegate = nullptr;
};

} // namespace pairsift
