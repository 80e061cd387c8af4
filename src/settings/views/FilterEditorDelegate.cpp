#include "settings/views/FilterEditorDelegate.h"

#include <QLineEdit>

namespace pairsift {

QWidget* FilterEditorDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
    const QModelIndex& index) const
{
    m_editor = QStyledItemDelegate::createEditor(parent, option, index);
    return m_editor;
}

void FilterEditorDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const
{
    const auto* lineEdit = qobject_cast<QLineEdit*>(editor);
    m_wasTaken = lineEdit ? model->setData(index, lineEdit->text(), Qt::EditRole) : false;
}

void FilterEditorDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const
{
    if (editor == m_editor)
        m_editor.clear();
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool FilterEditorDelegate::commitAndClose()
{
    QWidget* editor = m_editor;
    if (!editor)
        return true;
    m_wasTaken = false;
    Q_EMIT commitData(editor);
    if (!m_wasTaken)
        return false;
    Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
    return true;
}

} // namespace pairsift
