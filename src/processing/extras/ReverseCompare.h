#pragma once

namespace pairsift {

// The argument compared with the receiver: the receiver's descending order, as -1, 0 or 1.
template <typename T>
int reverseCompare(const T& receiver, const T& argument)
{
    if (argument < receiver)
        return -1;
    return receiver < argument ? 1 : 0;
}

} // namespace pairsift
