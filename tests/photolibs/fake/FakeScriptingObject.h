#pragma once

#include "platform/ScriptingObject.h"

#include <QHash>

#include <functional>
#include <mutex>

namespace pairsift::test {

class FakeScriptingObject;
using FakeScriptingObjectPtr = std::shared_ptr<FakeScriptingObject>;

// An object of a fake scripting model held in memory: plain properties, object properties and lists of
// elements by kind. "make new" adds an element whose property "class" is the class name.
class FakeScriptingObject : public ScriptingObject {
public:
    explicit FakeScriptingObject(QVariantMap properties = {}) : m_properties(std::move(properties)) { }

    QVariant property(const QString& name) const override;
    ScriptingObjectPtr objectProperty(const QString& name) const override;
    QList<ScriptingObjectPtr> elements(const QString& kind) const override;
    ScriptingObjectPtr makeElement(
        const QString& kind, const QString& className, const QVariantMap& properties) override;
    bool removeElement(const QString& kind, const ScriptingObjectPtr& element) override;

    // Set-up and inspection by tests.
    void setProperty(const QString& name, const QVariant& value);
    void setObjectProperty(const QString& name, ScriptingObjectPtr object);
    FakeScriptingObjectPtr addElement(const QString& kind, const QVariantMap& properties);
    QList<FakeScriptingObjectPtr> fakeElements(const QString& kind) const;
    // Removes every element of `kind` for which `matches` is true; answers how many went.
    qsizetype removeElementsIf(const QString& kind, const std::function<bool(const FakeScriptingObject&)>& matches);

private:
    mutable std::mutex m_mutex;
    QVariantMap m_properties;
    QHash<QString, ScriptingObjectPtr> m_objectProperties;
    QHash<QString, QList<FakeScriptingObjectPtr>> m_elements;
};

} // namespace pairsift::test
