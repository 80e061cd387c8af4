#pragma once

#include <QString>

namespace pairsift {

// Shows the file selected in a window of the desktop's file manager (org.freedesktop.FileManager1
// ShowItems on the session bus); when no file manager answers, opens the file's folder instead.
// Main thread; returns at once, the file manager answers later.
void revealInFileManager(const QString& path);

} // namespace pairsift
