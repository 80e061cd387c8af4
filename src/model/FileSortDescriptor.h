#pragma once

#include <QList>
#include <QString>

#include <functional>

namespace pairsift {

class FileItem;

// One key of an ordering of file items: the property it reads, its direction and how two items compare
// on it in ascending order (negative, zero or positive).
struct FileSortDescriptor {
    QString key;
    bool ascending = true;
    std::function<int(const FileItem&, const FileItem&)> comparator;

    // The comparison in this descriptor's direction.
    int compare(const FileItem& left, const FileItem& right) const
    {
        const int result = comparator(left, right);
        return ascending ? result : -result;
    }
};

// The first descriptor that does not tie decides; 0 when all tie.
inline int compareWithDescriptors(const QList<FileSortDescriptor>& descriptors, const FileItem& left, const FileItem& right)
{
    for (const FileSortDescriptor& descriptor : descriptors) {
        if (const int result = descriptor.compare(left, right))
            return result;
    }
    return 0;
}

} // namespace pairsift
