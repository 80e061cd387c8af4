#pragma once

#include <functional>

namespace pairsift {

// The main queue is the Qt event loop of the application object's thread.

// Runs `work` on the main thread, later, from its event loop. Callable from any thread; dropped when no
// application object exists.
void postToMain(std::function<void()> work);
bool isMainThread();

} // namespace pairsift
