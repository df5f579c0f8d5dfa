#pragma once

// The base of everything that takes part in event handling: views, windows, controllers.

#include <memory>

#include "platform/runtime/Object.h"

namespace platform {

class Responder : public Object {
public:
    std::shared_ptr<Responder> nextResponder() const { return nextResponder_.lock(); }
    void setNextResponder(const std::shared_ptr<Responder>& next) { nextResponder_ = next; }

    virtual bool acceptsFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

private:
    std::weak_ptr<Responder> nextResponder_;
};

}  // namespace platform
