#pragma once

#include <QString>

#include <memory>

namespace pairsift {

// Which other applications run and which are installed. The standard implementation for this system
// knows no such applications: every answer is false. Safe to call from any thread.
class ForeignApplications {
public:
    virtual ~ForeignApplications() = default;

    // True when a running application has exactly this bundle identifier (case matters).
    virtual bool isRunning(const QString& bundleIdentifier) const = 0;
    // True when an application with this bundle identifier and bundle name ("Viewer.app") is installed;
    // both compared without regard to case.
    virtual bool isInstalled(const QString& bundleIdentifier, const QString& applicationName) const = 0;

    // The implementation in use, process-wide.
    static std::shared_ptr<ForeignApplications> shared();
    // Replaces it (tests); null restores the standard one. Answers the previous replacement.
    static std::shared_ptr<ForeignApplications> setShared(std::shared_ptr<ForeignApplications> replacement);
};

} // namespace pairsift
