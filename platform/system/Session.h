#pragma once

// The simulated desktop session: what only the window server and the system services of macOS know.
// It holds this process's accessibility trust, the frontmost application, Finder's selection, the
// focused interface element and the event taps, and it carries key events through the taps to the
// applications. Tests drive it through this interface; a running program can expose it on the bus
// for `xq-session`.

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/system/SessionEvent.h"

namespace platform {

class EventTap;
class AXUIElement;

// One event on its way through the taps.
class PostedEvent : public Object {
public:
    enum class State { Pending, Delivered, Swallowed };
    explicit PostedEvent(SessionEvent event) : event(std::move(event)) {}
    State state() const { return state_; }
    bool isDone() const { return state_ != State::Pending; }
    // Called once, when the event has been delivered or swallowed.
    void setCompletion(std::function<void(State)> completion);
    SessionEvent event;

private:
    friend class Session;
    friend class EventTap;
    void resolve(State state);
    State state_ = State::Pending;
    std::function<void(State)> completion_;
    std::vector<const EventTap*> visited_;
};

class Session {
public:
    static Session& shared();

    enum class Focus { None, TextField, Other };

    // Back to the state of a fresh login: not trusted, Finder frontmost with an empty selection,
    // nothing focused, Automation allowed, no taps; the window server is reset too.
    void reset();

    static bool isTrusted() { return trusted_.load(std::memory_order_relaxed); }
    static void setTrusted(bool trusted) { trusted_.store(trusted); }

    std::string frontmostApplication() const;
    void setFrontmostApplication(const std::string& bundleIdentifier);

    // Finder's selection, as the file URL texts Finder reports, in selection order.
    std::vector<std::string> finderSelection() const;
    void setFinderSelection(std::vector<std::string> urlTexts);
    // Whether this process may send Apple events to Finder (the Automation permission).
    bool automationAllowed() const;
    void setAutomationAllowed(bool allowed);

    void setFocus(Focus focus);
    void setFocusedElement(std::shared_ptr<AXUIElement> element);
    std::shared_ptr<AXUIElement> focusedElement() const;

    // Posts a key event through the taps. The taps run on their run loops; the answer tells when the
    // event was delivered to an application or swallowed.
    std::shared_ptr<PostedEvent> postKeyEvent(std::uint16_t keyCode, ModifierFlags flags, bool keyDown = true);
    std::shared_ptr<PostedEvent> post(SessionEvent event);
    // Posts and runs the calling thread's run loop until the event is through (or no tap answers for
    // `realTimeout` seconds of real time).
    PostedEvent::State pressKey(std::uint16_t keyCode, ModifierFlags flags = 0, double realTimeout = 5.0);
    // The user disabled the taps (secure input and the like): each enabled tap is disabled and told.
    void disableTapsByUserInput();
    // The system gave up waiting for the taps: each enabled tap is disabled and gets the time-out notice.
    void disableTapsByTimeout();

    // The user logged in at the console (XQ_CONSOLE_USER, else the user running this process);
    // absent when nobody is.
    std::optional<std::string> consoleUser() const;

    // The taps that exist, in the order events pass them.
    std::vector<std::shared_ptr<EventTap>> taps() const;
    // Events applications posted into the session (synthetic events), oldest first.
    std::vector<SessionEvent> postedSyntheticEvents() const;
    void recordSyntheticEvent(const SessionEvent& event);

private:
    friend class EventTap;
    Session();
    void addTap(const std::shared_ptr<EventTap>& tap);
    void removeTap(const EventTap* tap);
    // Moves the event to its next tap, or delivers it when none is left.
    void advance(const std::shared_ptr<PostedEvent>& posted);
    void finish(const std::shared_ptr<PostedEvent>& posted);
    void disableTaps(SessionEventType notice);
    bool ownApplicationIsFrontmost() const;

    // Read on every tapped key event from any thread: kept outside the lock, with no guard to pass.
    // Constant-initialised so reading it needs no initialisation guard; the environment's start value
    // is applied by a static initialiser in Session.cpp, before main.
    static inline std::atomic<bool> trusted_{false};
    mutable std::mutex mutex_;
    std::string frontmost_;
    std::vector<std::string> selection_;
    bool automation_ = true;
    std::shared_ptr<AXUIElement> focused_;
    std::vector<std::weak_ptr<EventTap>> taps_;
    std::vector<SessionEvent> synthetic_;
};

}  // namespace platform
