#pragma once

#include "platform/ProgressIndicator.h"
#include "scan/DockTileDrawing.h"

#include <QObject>
#include <QRectF>

#include <memory>

namespace pairsift {

class DockTile;

// A horizontal progress bar over the application's icon, so that the comparison's progress shows while
// the program is in the background. Starts hidden with min, max and value at 0. Every value change redraws
// the tile, hidden or not; hiding puts the plain icon back, and after showing, the bar appears at the next
// value change. The tile it draws on is handed in by whoever builds the window (the desktop's application
// tile lives with the platform's desktop services); without one the values are only stored. An optional
// window progress bar mirrors the values and the hidden state. Main thread only.
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
    void setHidden(bool hidden);

    // The mirrored window bar; null when there is none, and then the two calls below do nothing.
    ProgressIndicator* progress() const { return m_progress.get(); }
    // Takes the bar and brings it to the current values and hidden state.
    void setProgress(std::unique_ptr<ProgressIndicator> progress);
    // Passed on to the window bar only: the tile is drawn at every value change anyway.
    void setNeedsDisplay(bool needsDisplay);
    void display();

    // The bar as it is drawn for the current values (empty when min equals max).
    QRectF barRect() const;
    // Draws the tile and shows it.
    void updateDockTile();

Q_SIGNALS:
    void valuesChanged();
    void hiddenChanged(bool hidden);

private:
    // Stores, passes the value on to the window bar through `forward`, redraws.
    void setValue(double& stored, double value, void (ProgressIndicator::*forward)(double));

    std::shared_ptr<DockTile> m_tile;
    std::unique_ptr<ProgressIndicator> m_progress;
    // Loaded once; the icon is taken afresh for every drawing.
    DockTileArt m_art;
    double m_minValue = 0;
    double m_maxValue = 0;
    double m_value = 0;
    bool m_isHidden = true;
    // A bar is on the tile: the plain icon is to be put back on hiding and on going away.
    bool m_isTileDrawn = false;
};

} // namespace pairsift
