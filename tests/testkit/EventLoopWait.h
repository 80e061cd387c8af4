#pragma once

#include <functional>

namespace pairsift::test {

// Runs the event loop until the condition holds; false after a bound that only a hang reaches.
bool waitUntil(const std::function<bool()>& condition);

} // namespace pairsift::test
