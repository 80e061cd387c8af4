#include "photolibs/fake/FakeScriptableApplication.h"

namespace pairsift::test {

FakeScriptableApplication::FakeScriptableApplication(QString bundleIdentifier, QString applicationName)
    : m_bundleIdentifier(std::move(bundleIdentifier))
    , m_applicationName(std::move(applicationName))
{
}

bool FakeScriptableApplication::isRunning() const
{
    std::lock_guard lock(m_mutex);
    if (m_isRunning && m_remainingRunningChecks) {
        if (*m_remainingRunningChecks == 0) {
            m_isRunning = false;
            m_remainingRunningChecks.reset();
        } else {
            --*m_remainingRunningChecks;
        }
    }
    return m_isRunning;
}

bool FakeScriptableApplication::launch()
{
    return bringUp();
}

bool FakeScriptableApplication::bringUp() const
{
    std::lock_guard lock(m_mutex);
    ++m_launchCount;
    if (m_isLaunchable && m_isInstalled && !m_isRunning) {
        m_isRunning = true;
        m_remainingRunningChecks.reset();
    }
    return m_isRunning;
}

bool FakeScriptableApplication::quit(std::uint32_t saveOption)
{
    std::lock_guard lock(m_mutex);
    if (!m_isRunning)
        return false;
    ++m_quitCount;
    m_lastSaveOption = saveOption;
    if (m_quitAfterRunningChecks)
        m_remainingRunningChecks = *m_quitAfterRunningChecks;
    return true;
}

void FakeScriptableApplication::setDelegate(SBApplicationDelegate* delegate)
{
    std::lock_guard lock(m_mutex);
    m_delegate = delegate;
}

SBApplicationDelegate* FakeScriptableApplication::delegate() const
{
    std::lock_guard lock(m_mutex);
    return m_delegate;
}

QList<ScriptingObjectPtr> FakeScriptableApplication::elements(const QString& kind) const
{
    if (!bringUp())
        return {};
    return m_root->elements(kind);
}

bool FakeScriptableApplication::isInstalled() const
{
    std::lock_guard lock(m_mutex);
    return m_isInstalled;
}

void FakeScriptableApplication::setInstalled(bool isInstalled)
{
    std::lock_guard lock(m_mutex);
    m_isInstalled = isInstalled;
}

void FakeScriptableApplication::setRunning(bool isRunning)
{
    std::lock_guard lock(m_mutex);
    m_isRunning = isRunning;
    m_remainingRunningChecks.reset();
}

void FakeScriptableApplication::setLaunchable(bool isLaunchable)
{
    std::lock_guard lock(m_mutex);
    m_isLaunchable = isLaunchable;
}

void FakeScriptableApplication::setQuitAfterRunningChecks(std::optional<int> checks)
{
    std::lock_guard lock(m_mutex);
    m_quitAfterRunningChecks = checks;
}

int FakeScriptableApplication::launchCount() const
{
    std::lock_guard lock(m_mutex);
    return m_launchCount;
}

int FakeScriptableApplication::quitCount() const
{
    std::lock_guard lock(m_mutex);
    return m_quitCount;
}

std::uint32_t FakeScriptableApplication::lastSaveOption() const
{
    std::lock_guard lock(m_mutex);
    return m_lastSaveOption;
}

} // namespace pairsift::test
