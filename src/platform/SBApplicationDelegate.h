#pragma once

#include "platform/Error.h"

#include <QString>

namespace pairsift {

// Told when a request sent through a ScriptableApplication fails inside the other application. Called on
// the thread that sent the request; the delegate is never owned by the application object.
class SBApplicationDelegate {
public:
    virtual ~SBApplicationDelegate() = default;

    // `event` names the request that failed ("quit", "make"...), `error` says why.
    virtual void eventDidFail(const QString& event, const Error& error) = 0;
};

} // namespace pairsift
