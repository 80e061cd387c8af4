#pragma once

#include "model/FileItem.h"

#include <QList>
#include <QWidget>

#include <memory>

class QLabel;
class QPlainTextEdit;
class QStackedWidget;

namespace pairsift {

class IconAndKindCache;
class KeyForwardingOutlineView;
class SerialQueue;

// The preview window beside the main window: it shows the first of the given files as a picture, as the
// start of a text, or as a large icon with the file's details. It never takes the keyboard from the
// list, and any key that still reaches it goes to the list. Files are read on a queue of its own; a read
// that finishes after the items changed is dropped.
class PreviewWindow : public QWidget {
    Q_OBJECT

public:
    PreviewWindow(KeyForwardingOutlineView& list, IconAndKindCache& icons, QWidget* parent = nullptr);
    ~PreviewWindow() override;

    const QList<FileItemPtr>& items() const { return m_items; }
    // Shows the first item (or nothing) and reads it in the background.
    void setItems(QList<FileItemPtr> items);
    // Reads the shown item again.
    void reloadData();

    // What is shown: 0 a picture, 1 a text, 2 an icon with details.
    int pageIndex() const;
    QLabel* pictureLabel() const { return m_picture; }
    QPlainTextEdit* textView() const { return m_text; }
    QLabel* detailsLabel() const { return m_details; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Content;
    void display(const FileItemPtr& file, const Content& content);

    KeyForwardingOutlineView& m_list;
    IconAndKindCache& m_icons;
    std::unique_ptr<SerialQueue> m_reader;
    QList<FileItemPtr> m_items;
    // Counts the reads; a read answers with the count it was started with.
    quint64 m_generation = 0;
    QStackedWidget* m_pages;
    QLabel* m_picture;
    QPlainTextEdit* m_text;
    QLabel* m_icon;
    QLabel* m_details;
};

} // namespace pairsift
