#pragma once

#include <QString>

#include <functional>

namespace pairsift {

class OpenPanel;

// Lets the user choose a folder on `panel`, starting in `path`, which is created first when missing (a
// failure is logged and the panel shows anyway). `done` gets the chosen folder, or `path` on cancel.
void chooseDirectory(OpenPanel& panel, const QString& path, std::function<void(const QString& path)> done);

} // namespace pairsift
