#pragma once

#include "photolibs/fake/FakeScriptingObject.h"
#include "platform/ScriptableApplication.h"

#include <cstdint>
#include <mutex>
#include <optional>

namespace pairsift::test {

// A fake other application: installed or not, running or not, launchable or not, quitting after a set
// number of running checks (or never), with its scripting model held in memory (root()).
class FakeScriptableApplication : public ScriptableApplication {
public:
    FakeScriptableApplication(QString bundleIdentifier, QString applicationName);

    QString bundleIdentifier() const override { return m_bundleIdentifier; }
    bool isRunning() const override;
    bool launch() override;
    bool quit(std::uint32_t saveOption) override;
    void setDelegate(SBApplicationDelegate* delegate) override;
    SBApplicationDelegate* delegate() const override;

    // The model's requests go to root(); asking for elements starts the application, as a real request would.
    QVariant property(const QString& name) const override { return m_root->property(name); }
    ScriptingObjectPtr objectProperty(const QString& name) const override { return m_root->objectProperty(name); }
    QList<ScriptingObjectPtr> elements(const QString& kind) const override;
    ScriptingObjectPtr makeElement(
        const QString& kind, const QString& className, const QVariantMap& properties) override
    {
        return m_root->makeElement(kind, className, properties);
    }
    bool removeElement(const QString& kind, const ScriptingObjectPtr& element) override
    {
        return m_root->removeElement(kind, element);
    }

    const QString& applicationName() const { return m_applicationName; }
    const FakeScriptingObjectPtr& root() const { return m_root; }

    bool isInstalled() const;
    void setInstalled(bool isInstalled);
    void setRunning(bool isRunning);
    // Whether launch() brings it up (true at first).
    void setLaunchable(bool isLaunchable);
    // After a quit, the next `checks` running checks still answer true; nothing: it never quits.
    void setQuitAfterRunningChecks(std::optional<int> checks);

    int launchCount() const;
    int quitCount() const;
    // The save option of the last quit, 0 before any.
    std::uint32_t lastSaveOption() const;

private:
    // launch() for requests that start the application on the way.
    bool bringUp() const;

    const QString m_bundleIdentifier;
    const QString m_applicationName;
    const FakeScriptingObjectPtr m_root = std::make_shared<FakeScriptingObject>();
    mutable std::mutex m_mutex;
    bool m_isInstalled = true;
    bool m_isLaunchable = true;
    mutable bool m_isRunning = false;
    std::optional<int> m_quitAfterRunningChecks = 0;
    // Counts down once a quit was sent; nothing while no quit is under way.
    mutable std::optional<int> m_remainingRunningChecks;
    mutable int m_launchCount = 0;
    int m_quitCount = 0;
    std::uint32_t m_lastSaveOption = 0;
    SBApplicationDelegate* m_delegate = nullptr;
};

using FakeScriptableApplicationPtr = std::shared_ptr<FakeScriptableApplication>;

} // namespace pairsift::test
