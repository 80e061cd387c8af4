#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QWidget;

namespace pairsift {

// A row of the results list by what survives a reload: the group's SHA-1 and, for a file row, its path
// (null for the group row).
struct ResultsSelectionKey {
    QByteArray sha1;
    QString path;

    bool operator==(const ResultsSelectionKey&) const = default;
};

// The results list as the main window's coordinator sees it.
//
// The seam is deliberately narrow. The coordinator alone changes the session's contents: the loader fills
// it (the store is read off the main thread), a scan or Clear empties it, and the coordinator sorts the
// files within groups and the groups before every showing. After each such change it calls showSession()
// once, and nothing else; the list then shows the session afresh. Between two calls the list may read the
// session at any time on the main thread, since nothing else changes it there.
class ResultsArea {
public:
    virtual ~ResultsArea() = default;

    // The widget the main view places.
    virtual QWidget* widget() = 0;
    // The selected row, remembered across a reload; nothing when no row is selected.
    virtual std::optional<ResultsSelectionKey> selectedItemKey() const = 0;
    // The session holds new contents (possibly none), already sorted: show them, expand the groups the
    // session remembers, then select the row of `selection` when it is still listed (otherwise the
    // selection is cleared), and refresh whatever shows the selection.
    virtual void showSession(const std::optional<ResultsSelectionKey>& selection) = 0;
};

} // namespace pairsift
