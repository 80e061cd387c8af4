#pragma once

#include "platform/OpenPanel.h"
#include "support/carbon/CBAlias.h"

#include <QList>

#include <optional>

namespace pairsift {

// Aliases for the open panel's choice and for the folder a panel starts in.

// Nothing before the panel has ended a run; otherwise an alias of each chosen item, in the panel's
// order, leaving out those no alias can be made of (none chosen gives an empty list).
std::optional<QList<CBAlias>> aliases(const OpenPanel& panel);

// An alias of the folder the panel starts in; nothing when it names none.
std::optional<CBAlias> directoryAlias(const OpenPanel::Options& panel);
// Starts the panel where `alias` leads; a panel whose alias does not resolve is left as it was.
void setDirectoryAlias(OpenPanel::Options& panel, const CBAlias& alias);

} // namespace pairsift
