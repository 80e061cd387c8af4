#pragma once

#include "platform/Error.h"
#include "platform/ScriptableApplication.h"

#include <QString>

#include <memory>
#include <optional>

namespace pairsift {

// Talks to other applications: binds their scripting models and runs scripts that address them.
//
// The standard implementation for this system has no scriptable applications: application() answers
// an object that never runs, cannot be launched and answers no request, and every script fails with
// `unavailableError`. So nothing outside the program is ever changed through it.
class ScriptingBridge {
public:
    static constexpr const char* errorDomain = "ScriptingBridge";
    enum ErrorCode : long long {
        UnavailableError = 1,
        ScriptFailedError = 2,
    };

    virtual ~ScriptingBridge() = default;

    // The application with this bundle identifier (exact), bound but neither checked nor started.
    virtual ScriptableApplicationPtr application(const QString& bundleIdentifier) = 0;
    // Compiles and runs a script on the calling thread, blocking until it ends. Answers the script's result
    // (possibly empty text); nothing when it fails, with `errorInfo` filled.
    virtual std::optional<QString> runScript(const QString& source, Error* errorInfo = nullptr) = 0;

    // The implementation in use, process-wide.
    static std::shared_ptr<ScriptingBridge> shared();
    // Replaces it (tests); null restores the standard one. Answers the previous replacement.
    static std::shared_ptr<ScriptingBridge> setShared(std::shared_ptr<ScriptingBridge> replacement);

    // What the standard implementation reports for every script.
    static Error unavailableError();
};

} // namespace pairsift
