#pragma once

#include "model/FileItem.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class QLabel;
class QPlainTextEdit;
class QPropertyAnimation;
class QShortcut;
class QStackedWidget;
class QToolButton;

namespace pairsift {

class IconAndKindCache;
class PreviewPictureView;
class PreviewWindow;
class SerialQueue;

// The items the preview steps through, asked again at every reloadData().
class PreviewPanelDataSource {
public:
    virtual ~PreviewPanelDataSource() = default;
    virtual qsizetype numberOfPreviewItemsInPreviewPanel(PreviewWindow& panel) = 0;
    // Null for an index out of range.
    virtual FileItemPtr previewItemAtIndex(PreviewWindow& panel, qsizetype index) = 0;
};

// What the preview asks about its keys and its zoom.
class PreviewPanelDelegate {
public:
    virtual ~PreviewPanelDelegate() = default;
    // True when the event was handled for the preview.
    virtual bool handleEvent(PreviewWindow& panel, QKeyEvent* event) = 0;
    // The rectangle, in screen coordinates, the preview opens from and closes to; null for no zoom.
    virtual QRect sourceFrameOnScreenForPreviewItem(PreviewWindow& panel, const FileItemPtr& item) = 0;
    // The same for an item known only by its location (one from before a reload).
    virtual QRect frameForURL(PreviewWindow& panel, const QUrl& url) = 0;
};

// The object that may take charge of the preview while it is open: asked when it opens, told when it
// closes.
class PreviewPanelController {
public:
    virtual ~PreviewPanelController() = default;
    virtual bool acceptsPreviewPanelControl(PreviewWindow& panel) = 0;
    // Sets the data source and the delegate.
    virtual void beginPreviewPanelControl(PreviewWindow& panel) = 0;
    virtual void endPreviewPanelControl(PreviewWindow& panel) = 0;
};

// The preview window beside the main window: it shows one of its data source's items at a time as a
// picture, as the start of a text, or as a large icon with the file's details, with previous and next
// buttons when there are several. A picture fits the window, never above its own size. It opens where it
// was when it last closed, else centred on the main window's screen, zooming from and to the rectangle its
// delegate gives. It never takes the keyboard from the list: its keys go to its delegate, and Esc in its
// parent's window closes it. Files are read on a queue of its own; a read that finishes after the item
// changed is dropped.
class PreviewWindow : public QWidget {
    Q_OBJECT

public:
    PreviewWindow(PreviewPanelController& controller, IconAndKindCache& icons, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    // Not owned; set by the controller when it takes charge.
    void setDataSource(PreviewPanelDataSource* dataSource) { m_dataSource = dataSource; }
    void setDelegate(PreviewPanelDelegate* delegate) { m_delegate = delegate; }

    // Opens it (handing control to the controller when it accepts) and shows the current item; does
    // nothing when it is open.
    void makeKeyAndOrderFront();
    // Closes it, zooming back to the current item's rectangle.
    void orderOut();
    // Open, and not on its way out.
    bool isOpen() const { return isVisible() && !m_isClosing; }

    // Asks the data source again; the item on show stays when it is still among the items.
    void reloadData();
    qsizetype numberOfItems() const { return m_itemCount; }
    qsizetype currentPreviewItemIndex() const { return m_currentIndex; }
    const FileItemPtr& currentPreviewItem() const { return m_currentItem; }
    void setCurrentPreviewItemIndex(qsizetype index);
    // Step through the items, wrapping around at either end.
    void selectNextItem();
    void selectPreviousItem();

    // What is shown: 0 a picture, 1 a text, 2 an icon with details.
    int pageIndex() const;
    PreviewPictureView* pictureView() const { return m_picture; }
    QPlainTextEdit* textView() const { return m_text; }
    QLabel* detailsLabel() const { return m_details; }
    QToolButton* previousButton() const { return m_previous; }
    QToolButton* nextButton() const { return m_next; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    struct Content;
    void showCurrentItem();
    void display(const FileItemPtr& file, const Content& content);
    // The delegate's rectangle for the current item; null for none.
    QRect zoomFrame();
    void placeOnScreen();
    void zoom(const QRect& from, const QRect& to, bool thenHide);

    PreviewPanelController& m_controller;
    IconAndKindCache& m_icons;
    std::unique_ptr<SerialQueue> m_reader;
    PreviewPanelDataSource* m_dataSource = nullptr;
    PreviewPanelDelegate* m_delegate = nullptr;
    bool m_isControlled = false;
    bool m_isClosing = false;
    // The inside it had when it last closed: the user's, kept while it lies on a screen.
    std::optional<QRect> m_openFrame;
    qsizetype m_itemCount = 0;
    qsizetype m_currentIndex = 0;
    FileItemPtr m_currentItem;
    // Counts the reads; a read answers with the count it was started with.
    quint64 m_generation = 0;
    QPointer<QPropertyAnimation> m_zoom;
    QStackedWidget* m_pages;
    PreviewPictureView* m_picture;
    QPlainTextEdit* m_text;
    QLabel* m_icon;
    QLabel* m_details;
    QWidget* m_steps;
    QToolButton* m_previous;
    QToolButton* m_next;
    QLabel* m_position;
    QShortcut* m_escape = nullptr;
};

} // namespace pairsift
