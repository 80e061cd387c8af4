#pragma once

#include "support/carbon/CBAlias.h"

#include <QString>
#include <QUrl>

#include <optional>

namespace pairsift {

// A control that shows the path of one URL. The control itself (a widget) implements URL() and
// setURL(); the alias operations work over them, so they need no widget.
class PathControl {
public:
    virtual ~PathControl() = default;

    virtual QUrl URL() const = 0;
    virtual void setURL(const QUrl& url) = 0;

    // The path of the control's URL; null unless it is a file URL.
    QString path() const;
    // An alias of the control's URL; nothing unless it is a file URL of an item.
    std::optional<CBAlias> alias() const;
    // Shows where `alias` leads; a control whose alias does not resolve is left as it was.
    void setAlias(const CBAlias& alias);
};

} // namespace pairsift
