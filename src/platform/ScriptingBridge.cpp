#include "platform/ScriptingBridge.h"

#include "platform/ServiceSlot.h"

namespace pairsift {

namespace {

// An application that is not there: it never runs, and every request fails without side effects.
class UnavailableApplication final : public ScriptableApplication {
public:
    explicit UnavailableApplication(QString bundleIdentifier) : m_bundleIdentifier(std::move(bundleIdentifier)) { }

    QString bundleIdentifier() const override { return m_bundleIdentifier; }
    bool isRunning() const override { return false; }
    bool launch() override { return false; }
    bool quit(std::uint32_t) override { return false; }
    void setDelegate(SBApplicationDelegate* delegate) override { m_delegate = delegate; }
    SBApplicationDelegate* delegate() const override { return m_delegate; }

    QVariant property(const QString&) const override { return {}; }
    ScriptingObjectPtr objectProperty(const QString&) const override { return nullptr; }
    QList<ScriptingObjectPtr> elements(const QString&) const override { return {}; }
    ScriptingObjectPtr makeElement(const QString&, const QString&, const QVariantMap&) override { return nullptr; }
    bool removeElement(const QString&, const ScriptingObjectPtr&) override { return false; }

private:
    const QString m_bundleIdentifier;
    SBApplicationDelegate* m_delegate = nullptr;
};

class UnavailableScriptingBridge final : public ScriptingBridge {
public:
    ScriptableApplicationPtr application(const QString& bundleIdentifier) override
    {
        return std::make_shared<UnavailableApplication>(bundleIdentifier);
    }

    std::optional<QString> runScript(const QString&, Error* errorInfo) override
    {
        if (errorInfo)
            *errorInfo = unavailableError();
        return std::nullopt;
    }
};

ServiceSlot<ScriptingBridge>& scriptingBridgeSlot()
{
    static ServiceSlot<ScriptingBridge> instance(std::make_shared<UnavailableScriptingBridge>());
    return instance;
}

} // namespace

std::shared_ptr<ScriptingBridge> ScriptingBridge::shared()
{
    return scriptingBridgeSlot().get();
}

std::shared_ptr<ScriptingBridge> ScriptingBridge::setShared(std::shared_ptr<ScriptingBridge> replacement)
{
    return scriptingBridgeSlot().replace(std::move(replacement));
}

Error ScriptingBridge::unavailableError()
{
    return Error{QString::fromLatin1(errorDomain), UnavailableError,
        QStringLiteral("Scripts cannot be run: this system has no scriptable applications")};
}

} // namespace pairsift
