#include "platform/system/Session.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "platform/appkit/EventMonitor.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/RunLoop.h"
#include "platform/system/Accessibility.h"
#include "platform/system/EventTap.h"
#include "platform/system/WindowServer.h"

namespace platform {

namespace {
constexpr const char* kFinder = "com.apple.finder";

std::string ownIdentifier() {
    static const std::string identifier = [] {
        auto id = Bundle::main()->bundleIdentifier();
        return id ? *id : ProcessInfo::processInfo().processName();
    }();
    return identifier;
}
}  // namespace

Session& Session::shared() {
    static Session session;
    return session;
}

Session::Session() : frontmost_(kFinder) {}

namespace {
// A login starts untrusted; XQ_SESSION_TRUSTED=1 starts a program as if Accessibility were granted.
const bool kTrustFromEnvironment = [] {
    const char* trusted = std::getenv("XQ_SESSION_TRUSTED");
    bool value = trusted && std::string_view(trusted) == "1";
    if (value) Session::setTrusted(true);
    return value;
}();
}  // namespace

void Session::reset() {
    std::vector<std::shared_ptr<EventTap>> oldTaps = taps();
    trusted_.store(false);
    {
        std::lock_guard lock(mutex_);
        frontmost_ = kFinder;
        selection_.clear();
        automation_ = true;
        focused_.reset();
        taps_.clear();
        synthetic_.clear();
    }
    for (const auto& tap : oldTaps) tap->invalidate();
    WindowServer::shared().reset();
}

std::string Session::frontmostApplication() const {
    std::lock_guard lock(mutex_);
    return frontmost_;
}

void Session::setFrontmostApplication(const std::string& bundleIdentifier) {
    std::lock_guard lock(mutex_);
    frontmost_ = bundleIdentifier;
}

std::vector<std::string> Session::finderSelection() const {
    std::lock_guard lock(mutex_);
    return selection_;
}

void Session::setFinderSelection(std::vector<std::string> urlTexts) {
    std::lock_guard lock(mutex_);
    selection_ = std::move(urlTexts);
}

bool Session::automationAllowed() const {
    std::lock_guard lock(mutex_);
    return automation_;
}

void Session::setAutomationAllowed(bool allowed) {
    std::lock_guard lock(mutex_);
    automation_ = allowed;
}

void Session::setFocus(Focus focus) {
    switch (focus) {
        case Focus::None: setFocusedElement(nullptr); break;
        case Focus::TextField:
            // A text field answers its selected text even when nothing is selected.
            setFocusedElement(std::make_shared<AXUIElement>(std::map<std::string, Value>{
                {"AXRole", Value("AXTextField")}, {"AXSelectedText", Value("")}, {"AXValue", Value("")}}));
            break;
        case Focus::Other:
            setFocusedElement(std::make_shared<AXUIElement>(
                std::map<std::string, Value>{{"AXRole", Value("AXList")}, {"AXTitle", Value("Files")}}));
            break;
    }
}

void Session::setFocusedElement(std::shared_ptr<AXUIElement> element) {
    std::lock_guard lock(mutex_);
    focused_ = std::move(element);
}

std::shared_ptr<AXUIElement> Session::focusedElement() const {
    std::lock_guard lock(mutex_);
    return focused_;
}

void Session::addTap(const std::shared_ptr<EventTap>& tap) {
    std::lock_guard lock(mutex_);
    std::erase_if(taps_, [](const std::weak_ptr<EventTap>& t) { return t.expired(); });
    if (tap->placement() == EventTapPlacement::HeadInsert)
        taps_.insert(taps_.begin(), tap);
    else
        taps_.push_back(tap);
}

void Session::removeTap(const EventTap* tap) {
    std::lock_guard lock(mutex_);
    std::erase_if(taps_, [tap](const std::weak_ptr<EventTap>& t) {
        auto strong = t.lock();
        return !strong || strong.get() == tap;
    });
}

std::vector<std::shared_ptr<EventTap>> Session::taps() const {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<EventTap>> result;
    for (const auto& weak : taps_)
        if (auto tap = weak.lock(); tap && tap->isValid()) result.push_back(tap);
    return result;
}

std::vector<SessionEvent> Session::postedSyntheticEvents() const {
    std::lock_guard lock(mutex_);
    return synthetic_;
}

void Session::recordSyntheticEvent(const SessionEvent& event) {
    std::lock_guard lock(mutex_);
    synthetic_.push_back(event);
}

std::shared_ptr<PostedEvent> Session::postKeyEvent(std::uint16_t keyCode, ModifierFlags flags, bool keyDown) {
    return post(SessionEvent::keyboard(keyCode, keyDown, flags));
}

std::shared_ptr<PostedEvent> Session::post(SessionEvent event) {
    auto posted = std::make_shared<PostedEvent>(std::move(event));
    advance(posted);
    return posted;
}

PostedEvent::State Session::pressKey(std::uint16_t keyCode, ModifierFlags flags, double realTimeout) {
    auto posted = postKeyEvent(keyCode, flags, true);
    RunLoop::current().runUntil([&] { return posted->isDone(); }, realTimeout);
    return posted->state();
}

void Session::advance(const std::shared_ptr<PostedEvent>& posted) {
    std::uint64_t bit = posted->event.type() < 64 ? (std::uint64_t{1} << posted->event.type()) : 0;
    for (const auto& tap : taps()) {
        if (std::find(posted->visited_.begin(), posted->visited_.end(), tap.get()) != posted->visited_.end()) continue;
        posted->visited_.push_back(tap.get());
        if (!tap->isEnabled() || !(tap->eventsOfInterest() & bit)) continue;
        // A tap whose source is on no run loop never answers; the window server does not wait for it.
        if (!tap->source_ || !tap->source_->isValid()) continue;
        tap->enqueue(posted);
        return;
    }
    finish(posted);
}

std::optional<std::string> Session::consoleUser() const {
    if (const char* user = std::getenv("XQ_CONSOLE_USER")) {
        if (!*user) return std::nullopt;
        return std::string(user);
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name) return std::string(entry->pw_name);
    return std::nullopt;
}

bool Session::ownApplicationIsFrontmost() const { return frontmostApplication() == ownIdentifier(); }

void PostedEvent::setCompletion(std::function<void(State)> completion) {
    if (isDone()) {
        if (completion) completion(state_);
        return;
    }
    completion_ = std::move(completion);
}

void PostedEvent::resolve(State state) {
    if (isDone()) return;
    state_ = state;
    if (auto completion = std::move(completion_)) completion(state);
}

void Session::finish(const std::shared_ptr<PostedEvent>& posted) {
    if (posted->isDone()) return;
    posted->resolve(PostedEvent::State::Delivered);
    const SessionEvent& e = posted->event;
    if (e.type() != kSessionEventKeyDown && e.type() != kSessionEventKeyUp && e.type() != kSessionEventFlagsChanged)
        return;
    auto event = Event::keyEvent(static_cast<EventType>(e.type()),
                                 static_cast<std::uint16_t>(e.integerValueField(kKeyboardEventKeycode)), e.flags());
    if (ownApplicationIsFrontmost())
        EventMonitor::dispatchLocal(event);
    else
        EventMonitor::dispatchGlobal(event);
}

void Session::disableTaps(SessionEventType notice) {
    for (const auto& tap : taps()) {
        if (!tap->isEnabled()) continue;
        tap->enabled_ = false;
        tap->enqueueNotice(notice);
    }
}

void Session::disableTapsByUserInput() { disableTaps(kSessionEventTapDisabledByUserInput); }
void Session::disableTapsByTimeout() { disableTaps(kSessionEventTapDisabledByTimeout); }

}  // namespace platform
