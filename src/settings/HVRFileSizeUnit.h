#pragma once

#include <QList>
#include <QString>

namespace pairsift {

// A unit in which the small-file threshold is entered; its index in defaultFileSizeUnits() is the
// value of the "small_file_size_unit" setting.
class HVRFileSizeUnit {
public:
    HVRFileSizeUnit() = default;
    HVRFileSizeUnit(const QString& title, double mul) : m_title(title), m_mul(mul) {}

    static HVRFileSizeUnit fileSizeUnitWithTitle(const QString& title, double multiplier) { return {title, multiplier}; }
    // "bytes" (1), "KBytes" (1024), "MBytes" (1048576), in index order; a new list on every call.
    static QList<HVRFileSizeUnit> defaultFileSizeUnits();

    const QString& title() const { return m_title; }
    void setTitle(const QString& title) { m_title = title; }
    // The number of bytes in one unit.
    double mul() const { return m_mul; }
    void setMul(double mul) { m_mul = mul; }

private:
    QString m_title;
    double m_mul = 0.0;
};

} // namespace pairsift
