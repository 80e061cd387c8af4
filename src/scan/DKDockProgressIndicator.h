#pragma once

#include "scan/DockTileDrawing.h"

#include <QObject>
#include <QRectF>

#include <memory>

namespace pairsift {

class DockTile;

// A horizontal progress bar over the application's icon, so that the comparison's progress shows while
// the program is in the background. Starts hidden with min, max and value at 0. While shown, every value
// change redraws the tile; while hidden the icon stays plain and the values are only stored. The tile it
// draws on is handed in by whoever builds the window (the desktop's application tile lives with the
// platform's desktop services); without one the values are only stored. Main thread only.
class DKDockProgressIndicator : public QObject {
    Q_OBJECT
    Q_PROPERTY(double minValue READ minValue WRITE setMinValue NOTIFY valuesChanged)
    Q_PROPERTY(double maxValue READ maxValue WRITE setMaxValue NOTIFY valuesChanged)
    Q_PROPERTY(double doubleValue READ doubleValue WRITE setDoubleValue NOTIFY valuesChanged)
    Q_PROPERTY(bool hidden READ isHidden WRITE setHidden NOTIFY hiddenChanged)

public:
    // A null tile shows nothing.
    explicit DKDockProgressIndicator(std::shared_ptr<DockTile> tile = nullptr, QObject* parent = nullptr);
    // Leaves the plain icon behind.
    ~DKDockProgressIndicator() override;

    double minValue() const { return m_minValue; }
    void setMinValue(double minValue);
    double maxValue() const { return m_maxValue; }
    void setMaxValue(double maxValue);
    double doubleValue() const { return m_value; }
    void setDoubleValue(double value);

    bool isHidden() const { return m_isHidden; }
    // Hiding puts the plain icon back; showing draws the bar at once.
    void setHidden(bool hidden);

    // The bar as it is drawn for the current values (empty when min equals max).
    QRectF barRect() const;
    // Draws the tile and shows it; nothing while hidden.
    void updateDockTile();

Q_SIGNALS:
    void valuesChanged();
    void hiddenChanged(bool hidden);

private:
    void setValue(double& stored, double value);

    std::shared_ptr<DockTile> m_tile;
    // Loaded once; the icon is taken afresh for every drawing.
    DockTileArt m_art;
    double m_minValue = 0;
    double m_maxValue = 0;
    double m_value = 0;
    bool m_isHidden = true;
};

} // namespace pairsift
