#pragma once

#include <QPointer>
#include <QStyledItemDelegate>

namespace pairsift {

// The filter table's cell editor, which knows the one editor it has open, so that the pane can end that
// edit on request and learn whether its text was taken.
class FilterEditorDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    // Also when the view closes an editor by itself (focus left it, Return, Escape).
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    // Null when no edit is in progress.
    QWidget* openEditor() const { return m_editor; }
    // Hands the open editor's text to the model and closes it; false, with the editor still open, when the
    // model refused the text. True when no edit was in progress.
    bool commitAndClose();

private:
    mutable QPointer<QWidget> m_editor;
    mutable bool m_wasTaken = true;
};

} // namespace pairsift
