#pragma once

#include <QString>

#include <cstring>

namespace pairsift {

// The system's words for an errno value.
inline QString systemMessage(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace pairsift
