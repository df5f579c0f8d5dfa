#pragma once

// The base of everything that takes part in event handling: views, windows, controllers.

#include <memory>

#include "platform/appkit/Event.h"
#include "platform/runtime/Object.h"

namespace platform {

class Responder : public Object {
public:
    std::shared_ptr<Responder> nextResponder() const { return nextResponder_.lock(); }
    void setNextResponder(const std::shared_ptr<Responder>& next) { nextResponder_ = next; }

    virtual bool acceptsFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return true; }
    virtual bool resignFirstResponder() { return true; }

    // Events not handled are passed up the responder chain.
    virtual void mouseDown(const EventPtr& e) { if (auto n = nextResponder()) n->mouseDown(e); }
    virtual void mouseUp(const EventPtr& e) { if (auto n = nextResponder()) n->mouseUp(e); }
    virtual void mouseDragged(const EventPtr& e) { if (auto n = nextResponder()) n->mouseDragged(e); }
    virtual void mouseMoved(const EventPtr& e) { if (auto n = nextResponder()) n->mouseMoved(e); }
    virtual void mouseEntered(const EventPtr& e) { if (auto n = nextResponder()) n->mouseEntered(e); }
    virtual void mouseExited(const EventPtr& e) { if (auto n = nextResponder()) n->mouseExited(e); }
    virtual void rightMouseDown(const EventPtr& e) { if (auto n = nextResponder()) n->rightMouseDown(e); }
    virtual void scrollWheel(const EventPtr& e) { if (auto n = nextResponder()) n->scrollWheel(e); }
    virtual void keyDown(const EventPtr& e) { if (auto n = nextResponder()) n->keyDown(e); }
    virtual void keyUp(const EventPtr& e) { if (auto n = nextResponder()) n->keyUp(e); }
    virtual void flagsChanged(const EventPtr& e) { if (auto n = nextResponder()) n->flagsChanged(e); }

private:
    std::weak_ptr<Responder> nextResponder_;
};

}  // namespace platform
