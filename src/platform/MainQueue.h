#pragma once

#include <functional>

namespace pairsift {

// The main queue is the Qt event loop of the application object's thread.

// Runs `work` on the main thread, later, from its event loop. Callable from any thread; dropped when no
// application object exists.
void postToMain(std::function<void()> work);
// Runs `work` on the main thread and waits for it (runs it at once when already there). Must not be
// called while the main thread waits for the caller.
void runOnMainAndWait(const std::function<void()>& work);
bool isMainThread();

} // namespace pairsift
