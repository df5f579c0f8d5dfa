#include "XQKit/XQCFNotificationCenter.h"

#include <cstdlib>

#include "platform/foundation/DistributedNotificationCenter.h"
#include "platform/foundation/Dispatch.h"

using platform::DistributedNotificationCenter;

namespace {
std::shared_ptr<XQCFNotificationCenter>& sharedSlot() {
    static std::shared_ptr<XQCFNotificationCenter> center;
    return center;
}
}  // namespace

std::shared_ptr<XQCFNotificationCenter> XQCFNotificationCenter::shared() {
    auto& slot = sharedSlot();
    if (!slot) slot = std::make_shared<XQCFNotificationCenter>();
    return slot;
}

void XQCFNotificationCenter::setShared(std::shared_ptr<XQCFNotificationCenter> center) {
    sharedSlot() = std::move(center);
}

XQCFNotificationCenter::XQCFNotificationCenter() : isSandbox_(std::getenv("APP_SANDBOX_CONTAINER_ID") != nullptr) {}

XQCFNotificationCenter::~XQCFNotificationCenter() { removeAllObservers(); }

void XQCFNotificationCenter::addObserver(const platform::ObjectPtr& observer, const std::string& name,
                                         ReceiveHandler handler) {
    add(observer, name, {observer, std::nullopt, std::move(handler), nullptr});
}

void XQCFNotificationCenter::addObserver(const platform::ObjectPtr& observer, const std::string& name,
                                         const std::string& selector) {
    add(observer, name, {observer, selector, nullptr, nullptr});
}

void XQCFNotificationCenter::addObserver(const platform::ObjectPtr& observer, const std::string& name,
                                         CallbackHandler response) {
    add(observer, name, {observer, std::nullopt, nullptr, std::move(response)});
}

void XQCFNotificationCenter::add(const platform::ObjectPtr& observer, const std::string& name,
                                 XQCFNotificationObserver entry) {
    if (name.empty()) return;
    auto found = observerDict_.find(name);
    if (found != observerDict_.end()) {
        for (auto& existing : found->second) {
            if (existing.observer == observer) {
                existing.selector = std::move(entry.selector);
                existing.receiveHandler = std::move(entry.receiveHandler);
                existing.callbackHandler = std::move(entry.callbackHandler);
                return;
            }
        }
        found->second.push_back(std::move(entry));
        return;
    }
    // One registration with the distributed center per name, the center itself as observer.
    DistributedNotificationCenter::defaultCenter().addObserver(
        this, name, [](const std::string& received, const std::optional<platform::Dictionary>& userInfo) {
            dispatch(received, userInfo);
        },
        DistributedNotificationCenter::SuspensionBehavior::DeliverImmediately);
    observerDict_[name] = {std::move(entry)};
}

void XQCFNotificationCenter::post(const std::string& name, const XQUserInfo& userInfo, bool sandbox) {
    DistributedNotificationCenter::defaultCenter().post(
        name, sandbox ? std::nullopt : userInfo,
        DistributedNotificationCenter::DeliverImmediately | DistributedNotificationCenter::PostToAllSessions);
}

void XQCFNotificationCenter::postCFNotification(const std::string& name, const XQUserInfo& userInfo) {
    post(name, userInfo, isSandbox_);
}

void XQCFNotificationCenter::postCFNotification(const std::string& name, const XQUserInfo& userInfo,
                                                const platform::ObjectPtr& observer, ReceiveHandler handler) {
    // Listening for the reply before the request goes out: a responder may answer before a
    // registration made afterwards has reached the bus, and that reply would be lost.
    addObserver(observer, replyName(name), std::move(handler));
    postCFNotification(name, userInfo);
}

void XQCFNotificationCenter::dispatch(const std::string& name, const XQUserInfo& userInfo) {
    auto center = sharedSlot();
    if (!center) return;
    auto found = center->observerDict_.find(name);
    if (found == center->observerDict_.end()) return;
    for (const auto& entry : found->second) {
        if (!entry.observer) continue;
        platform::dispatch::main().async([entry, name, userInfo] { deliver(entry, name, userInfo); });
    }
}

void XQCFNotificationCenter::deliver(const XQCFNotificationObserver& entry, const std::string& name,
                                     const XQUserInfo& userInfo) {
    if (entry.selector) {
        if (entry.observer)
            entry.observer->perform(*entry.selector,
                                    userInfo ? std::make_shared<XQCFUserInfo>(*userInfo) : platform::ObjectPtr());
    } else if (entry.receiveHandler) {
        entry.receiveHandler(userInfo);
    } else if (entry.callbackHandler) {
        std::string reply = replyName(name);
        entry.callbackHandler(userInfo, [reply](const XQUserInfo& answer) {
            auto center = shared();
            post(reply, answer, center->isSandbox_);
        });
    }
}

void XQCFNotificationCenter::removeObserver(const platform::ObjectPtr& observer, const std::optional<std::string>& name) {
    std::vector<std::string> names;
    if (name) {
        names.push_back(*name);
    } else {
        for (const auto& [key, list] : observerDict_) names.push_back(key);
    }
    for (const auto& key : names) {
        auto found = observerDict_.find(key);
        if (found == observerDict_.end()) continue;
        std::erase_if(found->second, [&](const XQCFNotificationObserver& e) { return e.observer == observer; });
        if (found->second.empty()) {
            observerDict_.erase(found);
            DistributedNotificationCenter::defaultCenter().removeObserver(static_cast<const void*>(this), key);
        }
    }
}

void XQCFNotificationCenter::removeAllObservers() {
    for (const auto& [key, list] : observerDict_)
        DistributedNotificationCenter::defaultCenter().removeObserver(static_cast<const void*>(this), key);
    observerDict_.clear();
}

std::vector<std::string> XQCFNotificationCenter::observedNames() const {
    std::vector<std::string> names;
    for (const auto& [key, list] : observerDict_) names.push_back(key);
    return names;
}

std::vector<platform::ObjectPtr> XQCFNotificationCenter::observers(const std::string& name) const {
    std::vector<platform::ObjectPtr> result;
    auto found = observerDict_.find(name);
    if (found != observerDict_.end())
        for (const auto& e : found->second) result.push_back(e.observer);
    return result;
}
