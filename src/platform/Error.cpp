#include "platform/Error.h"

namespace pairsift {

QString Error::message() const
{
    if (underlyingMessage.isEmpty())
        return description;
    return description + QStringLiteral(" (") + underlyingMessage + QLatin1Char(')');
}

bool systemFailure(Error* error, int code, QString description)
{
    setError(error, QStringLiteral("POSIX"), code, std::move(description), qt_error_string(code));
    return false;
}

} // namespace pairsift
