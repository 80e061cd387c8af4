#include "model/InternedString.h"

#include <QHash>

#include <mutex>

namespace pairsift {

namespace {

// Never destroyed, nor are its strings: the pointers handed out must stay valid for the whole process,
// static destruction included.
struct InternTable {
    std::mutex mutex;
    QHash<QString, const QString*> strings;
};

InternTable& internTable()
{
    static InternTable* table = new InternTable;
    return *table;
}

} // namespace

const QString* internedString(const QString& text)
{
    if (text.isNull())
        return nullptr;
    InternTable& table = internTable();
    const std::lock_guard lock(table.mutex);
    const QString*& stored = table.strings[text];
    if (!stored)
        stored = new QString(text);
    return stored;
}

} // namespace pairsift
