#pragma once

#include "platform/DockTile.h"

#include <QIcon>
#include <QImage>

#include <optional>

namespace pairsift {

// The program's own tile: the drawn image becomes the application's window icon, and the launcher
// entry shows the same progress where a session bus exists. Without a GUI application only the launcher
// entry is told.
class ApplicationDockTile : public DockTile {
public:
    QImage applicationIcon() override;
    void display(const QImage& tile, double fraction) override;
    void restore() override;

private:
    // The application's icon from before the first display; put back by restore().
    std::optional<QIcon> m_plainIcon;
};

} // namespace pairsift
