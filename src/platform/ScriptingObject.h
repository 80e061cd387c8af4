#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <memory>

namespace pairsift {

class ScriptingObject;
using ScriptingObjectPtr = std::shared_ptr<ScriptingObject>;

// A reference to one object inside another application's scripting model: the application itself, an
// album, a photo, an image version, a tag. Names are the other application's own scripting terms
// ("photo library album", "image path", "image versions", "other tags", "keywords"...).
//
// Every request goes to the other application and may fail: a failed read answers an invalid value, a
// null object or an empty list, and a failed change answers false or null. Requests block the calling
// thread until the other application answers.
class ScriptingObject {
public:
    virtual ~ScriptingObject() = default;

    // The value of a property that holds plain data (text, number, date).
    virtual QVariant property(const QString& name) const = 0;
    // The object a property refers to.
    virtual ScriptingObjectPtr objectProperty(const QString& name) const = 0;
    // The objects of one element kind, in the other application's order.
    virtual QList<ScriptingObjectPtr> elements(const QString& kind) const = 0;
    // "make new <className> with properties {...}" at the end of the elements of `kind`; answers the new object.
    virtual ScriptingObjectPtr makeElement(const QString& kind, const QString& className, const QVariantMap& properties)
        = 0;
    // Removes `element` from the elements of `kind`; false when it is not one of them or the request fails.
    virtual bool removeElement(const QString& kind, const ScriptingObjectPtr& element) = 0;
};

} // namespace pairsift
