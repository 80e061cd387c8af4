#include "platform/desktop/Trash.h"

#include <QFile>

#include <gio/gio.h>

namespace pairsift {

bool moveToTrash(const QString& path, Error* error)
{
    GFile* file = g_file_new_for_path(QFile::encodeName(path).constData());
    GError* failure = nullptr;
    const bool isTrashed = g_file_trash(file, nullptr, &failure);
    g_object_unref(file);
    if (!isTrashed) {
        setError(error, QStringLiteral("GIO"), failure ? failure->code : 0, QStringLiteral("Unable to move to Trash"),
            failure ? QString::fromUtf8(failure->message) : QString());
        if (failure)
            g_error_free(failure);
    }
    return isTrashed;
}

} // namespace pairsift
