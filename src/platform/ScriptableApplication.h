#pragma once

#include "platform/ScriptingObject.h"

#include <QString>

#include <cstdint>
#include <memory>

namespace pairsift {

class SBApplicationDelegate;

// A four-character scripting code as one number, first character in the highest byte.
constexpr std::uint32_t fourCharCode(const char (&code)[5])
{
    return (std::uint32_t(std::uint8_t(code[0])) << 24) | (std::uint32_t(std::uint8_t(code[1])) << 16)
        | (std::uint32_t(std::uint8_t(code[2])) << 8) | std::uint32_t(std::uint8_t(code[3]));
}

// The save option of "quit": save changes without asking. The code ends in a space.
inline constexpr std::uint32_t saveOptionYes = fourCharCode("yes ");

// Another application, bound by its bundle identifier, whether or not it runs. It is the root of that
// application's scripting model; object requests to an application that does not run start it where the
// system can. Obtained from ScriptingBridge::application().
class ScriptableApplication : public ScriptingObject {
public:
    virtual QString bundleIdentifier() const = 0;
    virtual bool isRunning() const = 0;
    // Starts the application when it does not run; true when it runs afterwards.
    virtual bool launch() = 0;
    // Sends "quit" with a save option (saveOptionYes); false when it cannot be sent (the application does
    // not run or does not answer the command). Returns once sent, usually before the application is gone.
    virtual bool quit(std::uint32_t saveOption) = 0;

    // Not owned; null clears it. Told about requests that fail inside the application.
    virtual void setDelegate(SBApplicationDelegate* delegate) = 0;
    virtual SBApplicationDelegate* delegate() const = 0;
};

using ScriptableApplicationPtr = std::shared_ptr<ScriptableApplication>;

} // namespace pairsift
