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
    if (m_isTileDrawn)
        m_tile->restore();
}

void DKDockProgressIndicator::setMinValue(double minValue)
{
    setValue(m_minValue, minValue, &ProgressIndicator::setMinValue);
}

void DKDockProgressIndicator::setMaxValue(double maxValue)
{
    setValue(m_maxValue, maxValue, &ProgressIndicator::setMaxValue);
}

void DKDockProgressIndicator::setDoubleValue(double value)
{
    setValue(m_value, value, &ProgressIndicator::setDoubleValue);
}

void DKDockProgressIndicator::setHidden(bool hidden)
{
    if (m_progress)
        m_progress->setHidden(hidden);
    if (hidden && m_isTileDrawn) {
        m_tile->restore();
        m_isTileDrawn = false;
    }
    if (hidden == m_isHidden)
        return;
    m_isHidden = hidden;
    Q_EMIT hiddenChanged(hidden);
}

void DKDockProgressIndicator::setProgress(std::unique_ptr<ProgressIndicator> progress)
{
    m_progress = std::move(progress);
    if (!m_progress)
        return;
    m_progress->setMinValue(m_minValue);
    m_progress->setMaxValue(m_maxValue);
    m_progress->setDoubleValue(m_value);
    m_progress->setHidden(m_isHidden);
}

void DKDockProgressIndicator::setNeedsDisplay(bool needsDisplay)
{
    if (m_progress)
        m_progress->setNeedsDisplay(needsDisplay);
}

void DKDockProgressIndicator::display()
{
    if (m_progress)
        m_progress->display();
}

QRectF DKDockProgressIndicator::barRect() const
{
    return dockBarRect(m_minValue, m_maxValue, m_value);
}

void DKDockProgressIndicator::updateDockTile()
{
    if (!m_tile)
        return;
    m_art.applicationIcon = m_tile->applicationIcon();
    const QRectF bar = barRect();
    m_tile->display(drawDockTile(m_art, bar), bar.width() / dockTrackRect.width());
    m_isTileDrawn = true;
}

void DKDockProgressIndicator::setValue(double& stored, double value, void (ProgressIndicator::*forward)(double))
{
    stored = value;
    if (m_progress)
        (m_progress.get()->*forward)(value);
    updateDockTile();
    Q_EMIT valuesChanged();
}

} // namespace pairsift
