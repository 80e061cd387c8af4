#include "support/carbon/ExtendedAttribute.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/xattr.h>

namespace pairsift {

namespace {

void setAttributeError(Error* error, int code, const QString& path, qsizetype size = 0)
{
    QString description;
    if (code == ENOTSUP)
        description = QString("The file system of \"%1\" does not support extended attributes").arg(path);
    else if (code == ENOSPC || code == E2BIG)
        description = QString("The file system of \"%1\" cannot hold %2 bytes in one extended attribute").arg(path).arg(size);
    else
        description = QString("The extended attributes of \"%1\" cannot be used").arg(path);
    setError(error, "NSPOSIXErrorDomain", code, description, QString::fromLocal8Bit(std::strerror(code)));
}

} // namespace

std::optional<QByteArray> readExtendedAttribute(const QString& path, const char* name, Error* error)
{
    const QByteArray encoded = QFile::encodeName(path);
    // The value may grow between asking for its size and reading it: ask again then.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = ::getxattr(encoded.constData(), name, nullptr, 0);
        if (size < 0)
            break;
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t read = ::getxattr(encoded.constData(), name, value.data(), value.size());
        if (read >= 0) {
            value.truncate(read);
            return value;
        }
        if (errno != ERANGE)
            break;
    }
    if (errno == ENODATA)
        return QByteArray();
    setAttributeError(error, errno, path);
    return std::nullopt;
}

bool writeExtendedAttribute(const QString& path, const char* name, const QByteArray& value, Error* error)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (::setxattr(encoded.constData(), name, value.constData(), value.size(), 0) == 0)
        return true;
    setAttributeError(error, errno, path, value.size());
    return false;
}

} // namespace pairsift
