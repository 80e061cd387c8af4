#pragma once

#include <QIcon>
#include <QModelIndex>
#include <QString>
#include <QVariant>

#include <optional>

namespace pairsift {

class ImageAndTextCell;

// How an icon-and-text cell asks its owner what a row shows. Every operation is optional: answering
// nothing (the default) means "not implemented", and the cell then gives its own answer. A null icon or
// text is an answer: no icon, no text of its own.
class ImageAndTextCellDelegate {
public:
    virtual ~ImageAndTextCellDelegate() = default;

    // The object the row represents (its data element).
    virtual std::optional<QVariant> dataElementForCell(const ImageAndTextCell& cell, const QModelIndex& index)
    {
        Q_UNUSED(cell);
        Q_UNUSED(index);
        return std::nullopt;
    }
    virtual std::optional<QIcon> iconForCell(const ImageAndTextCell& cell, const QVariant& data)
    {
        Q_UNUSED(cell);
        Q_UNUSED(data);
        return std::nullopt;
    }
    virtual std::optional<QString> textForCell(const ImageAndTextCell& cell, const QVariant& data)
    {
        Q_UNUSED(cell);
        Q_UNUSED(data);
        return std::nullopt;
    }
};

} // namespace pairsift
