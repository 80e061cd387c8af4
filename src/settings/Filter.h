#pragma once

#include <QString>
#include <QVariantMap>

namespace pairsift {

// One user-entered text of names to skip while counting: every file or folder whose path contains
// `glob` as a plain substring is skipped (no wildcards).
class Filter {
public:
    // The text a filter starts with when the user adds one.
    static constexpr const char* newFilterText = "<New Filter>";

    Filter();
    explicit Filter(const QString& glob) : m_glob(glob) {}
    // From a keyed archive: the text under "glob"; null when there is no text there.
    explicit Filter(const QVariantMap& coder);

    void encode(QVariantMap& coder) const;

    const QString& glob() const { return m_glob; }
    void setGlob(const QString& glob) { m_glob = glob; }

    bool operator==(const Filter& other) const { return m_glob == other.m_glob; }

private:
    QString m_glob;
};

} // namespace pairsift
