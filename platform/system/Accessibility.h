#pragma once

// The accessibility interface: the process's trust, the system-wide element and the attributes of
// interface elements.

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"
#include "platform/system/Session.h"

namespace platform {

using AXError = std::int32_t;
inline constexpr AXError kAXErrorSuccess = 0;
inline constexpr AXError kAXErrorFailure = -25200;
inline constexpr AXError kAXErrorIllegalArgument = -25201;
inline constexpr AXError kAXErrorCannotComplete = -25204;
inline constexpr AXError kAXErrorAttributeUnsupported = -25205;
inline constexpr AXError kAXErrorAPIDisabled = -25211;
inline constexpr AXError kAXErrorNoValue = -25212;

// Asked on every key event a tap sees, so it stays a single inline load.
inline bool AXIsProcessTrusted() { return Session::isTrusted(); }
// With `prompt`, an untrusted process also has the system ask the user (recorded by the session).
bool AXIsProcessTrustedWithOptions(bool prompt);

class AXUIElement : public Object {
public:
    static std::shared_ptr<AXUIElement> createSystemWide();
    explicit AXUIElement(std::map<std::string, Value> attributes = {}, bool systemWide = false)
        : attributes_(std::move(attributes)), systemWide_(systemWide) {}

    // The attribute's value into `value`; an error code when the process is not trusted, the element
    // has no such attribute, or the attribute has no value.
    AXError copyAttributeValue(const std::string& attribute, Value& value) const;
    bool isSystemWide() const { return systemWide_; }

private:
    std::map<std::string, Value> attributes_;
    bool systemWide_;
};

}  // namespace platform
