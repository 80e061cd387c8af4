#pragma once

#include <QString>

#include <functional>

namespace pairsift {

// Shows the file selected in a window of the desktop's file manager (org.freedesktop.FileManager1
// ShowItems on the session bus); when no file manager answers, opens the file's folder instead, and
// when that cannot be opened either, calls `failed` (on the main thread, at most once). Main thread;
// returns at once, the file manager answers later.
void revealInFileManager(const QString& path, std::function<void()> failed = {});

} // namespace pairsift
