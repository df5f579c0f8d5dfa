#include "platform/system/Accessibility.h"

#include "platform/system/Session.h"

namespace platform {

bool AXIsProcessTrustedWithOptions(bool prompt) {
    (void)prompt;  // the simulated system has no prompt of its own: the user grants through the session
    return Session::shared().isTrusted();
}

std::shared_ptr<AXUIElement> AXUIElement::createSystemWide() {
    return std::make_shared<AXUIElement>(std::map<std::string, Value>{}, true);
}

AXError AXUIElement::copyAttributeValue(const std::string& attribute, Value& value) const {
    value = Value();
    if (!AXIsProcessTrusted()) return kAXErrorAPIDisabled;
    if (systemWide_) {
        if (attribute != "AXFocusedUIElement" && attribute != "AXFocusedApplication")
            return kAXErrorAttributeUnsupported;
        if (attribute == "AXFocusedApplication") {
            value = Value(Session::shared().frontmostApplication());
            return kAXErrorSuccess;
        }
        auto focused = Session::shared().focusedElement();
        if (!focused) return kAXErrorNoValue;
        value = Value(ObjectPtr(focused));
        return kAXErrorSuccess;
    }
    auto it = attributes_.find(attribute);
    if (it == attributes_.end()) return kAXErrorAttributeUnsupported;
    if (it->second.isAbsent()) return kAXErrorNoValue;
    value = it->second;
    return kAXErrorSuccess;
}

}  // namespace platform
