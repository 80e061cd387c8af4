#include "photolibs/fake/FakeScriptingObject.h"

namespace pairsift::test {

QVariant FakeScriptingObject::property(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    return m_properties.value(name);
}

ScriptingObjectPtr FakeScriptingObject::objectProperty(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    return m_objectProperties.value(name);
}

QList<ScriptingObjectPtr> FakeScriptingObject::elements(const QString& kind) const
{
    QList<ScriptingObjectPtr> objects;
    for (const FakeScriptingObjectPtr& element : fakeElements(kind))
        objects.append(element);
    return objects;
}

ScriptingObjectPtr FakeScriptingObject::makeElement(
    const QString& kind, const QString& className, const QVariantMap& properties)
{
    QVariantMap withClass = properties;
    withClass.insert(QStringLiteral("class"), className);
    return addElement(kind, withClass);
}

bool FakeScriptingObject::removeElement(const QString& kind, const ScriptingObjectPtr& element)
{
    return removeElementsIf(kind, [&element](const FakeScriptingObject& candidate) {
        return &candidate == element.get();
    }) > 0;
}

void FakeScriptingObject::setProperty(const QString& name, const QVariant& value)
{
    std::lock_guard lock(m_mutex);
    m_properties.insert(name, value);
}

void FakeScriptingObject::setObjectProperty(const QString& name, ScriptingObjectPtr object)
{
    std::lock_guard lock(m_mutex);
    m_objectProperties.insert(name, std::move(object));
}

FakeScriptingObjectPtr FakeScriptingObject::addElement(const QString& kind, const QVariantMap& properties)
{
    auto element = std::make_shared<FakeScriptingObject>(properties);
    std::lock_guard lock(m_mutex);
    m_elements[kind].append(element);
    return element;
}

QList<FakeScriptingObjectPtr> FakeScriptingObject::fakeElements(const QString& kind) const
{
    std::lock_guard lock(m_mutex);
    return m_elements.value(kind);
}

qsizetype FakeScriptingObject::removeElementsIf(
    const QString& kind, const std::function<bool(const FakeScriptingObject&)>& matches)
{
    std::lock_guard lock(m_mutex);
    return m_elements[kind].removeIf([&matches](const FakeScriptingObjectPtr& element) { return matches(*element); });
}

} // namespace pairsift::test
