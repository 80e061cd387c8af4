#include "scan/DKDockProgressIndicator.h"

#include "scan/DockTileDrawing.h"

#include <utility>

namespace pairsift {

DKDockProgressIndicator::DKDockProgressIndicator(std::shared_ptr<DockTile> tile, QObject* parent)
    : QObject(parent)
    , m_tile(std::move(tile))
    , m_art(DockTileArt::named(QImage()))
{
}

DKDockProgressIndicator::~DKDockProgressIndicator()
{
    if (!m_isHidden && m_tile)
        m_tile->restore();
}

void DKDockProgressIndicator::setMinValue(double minValue)
{
    setValue(m_minValue, minValue);
}

void DKDockProgressIndicator::setMaxValue(double maxValue)
{
    setValue(m_maxValue, maxValue);
}

void DKDockProgressIndicator::setDoubleValue(double value)
{
    setValue(m_value, value);
}

void DKDockProgressIndicator::setHidden(bool hidden)
{
    if (hidden == m_isHidden)
        return;
    m_isHidden = hidden;
    if (hidden && m_tile)
        m_tile->restore();
    else
        updateDockTile();
    Q_EMIT hiddenChanged(hidden);
}

QRectF DKDockProgressIndicator::barRect() const
{
    return dockBarRect(m_minValue, m_maxValue, m_value);
}

void DKDockProgressIndicator::updateDockTile()
{
    if (m_isHidden || !m_tile)
        return;
    m_art.applicationIcon = m_tile->applicationIcon();
    const QRectF bar = barRect();
    m_tile->display(drawDockTile(m_art, bar), bar.width() / dockTrackRect.width());
}

void DKDockProgressIndicator::setValue(double& stored, double value)
{
    stored = value;
    updateDockTile();
    Q_EMIT valuesChanged();
}

} // namespace pairsift
