#include "platform/Error.h"

namespace pairsift {

QString Error::message() const
{
    if (underlyingMessage.isEmpty())
        return description;
    return description + QStringLiteral(" (") + underlyingMessage + QLatin1Char(')');
}

} // namespace pairsift
