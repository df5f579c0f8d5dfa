#pragma once

// Named notifications exchanged with other processes of the same user through the distributed
// notification center, with closures and actions as receivers, one registration per (name, observer)
// pair, and a request-and-reply convention: the reply to a notification N is posted under
// N + "__XQ__callback".
//
// The center holds every registering object strongly until its registration is removed. Deliveries
// always run on the main queue, one job per registration. A sandboxed process (APP_SANDBOX_CONTAINER_ID
// in its environment) posts without user information.

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

using XQUserInfo = std::optional<platform::Dictionary>;

// The sender passed to an action registered with a selector: it carries the user information.
class XQCFUserInfo final : public platform::Object {
public:
    explicit XQCFUserInfo(platform::Dictionary userInfo) : userInfo(std::move(userInfo)) {}
    platform::Dictionary userInfo;
};

class XQCFNotificationCenter : public platform::Object {
public:
    using ReceiveHandler = std::function<void(const XQUserInfo&)>;
    using ReplyFunction = std::function<void(const XQUserInfo&)>;
    using CallbackHandler = std::function<void(const XQUserInfo&, const ReplyFunction&)>;

    // The shared center, made on first use; `setShared` replaces it.
    static std::shared_ptr<XQCFNotificationCenter> shared();
    static void setShared(std::shared_ptr<XQCFNotificationCenter> center);

    XQCFNotificationCenter();
    ~XQCFNotificationCenter() override;

    // Receivers, in the order delivery prefers them: an action of `observer` (called with an
    // XQCFUserInfo sender, or none when the notification carries no user information), a handler
    // given the user information, a responder given the user information and a reply function.
    void addObserver(const platform::ObjectPtr& observer, const std::string& name, ReceiveHandler handler);
    void addObserver(const platform::ObjectPtr& observer, const std::string& name, const std::string& selector);
    void addObserver(const platform::ObjectPtr& observer, const std::string& name, CallbackHandler response);

    void postCFNotification(const std::string& name, const XQUserInfo& userInfo = std::nullopt);
    // Posts a request and registers `handler` (for `observer`) to receive each of its replies.
    void postCFNotification(const std::string& name, const XQUserInfo& userInfo, const platform::ObjectPtr& observer,
                            ReceiveHandler handler);

    // `name` absent: every name.
    void removeObserver(const platform::ObjectPtr& observer, const std::optional<std::string>& name = std::nullopt);
    void removeAllObservers();

    bool isSandbox() const { return isSandbox_; }
    static std::string replyName(const std::string& name) { return name + "__XQ__callback"; }

    // The names with registrations and the observers of one, in registration order (for inspection).
    std::vector<std::string> observedNames() const;
    std::vector<platform::ObjectPtr> observers(const std::string& name) const;

private:
    struct XQCFNotificationObserver {
        platform::ObjectPtr observer;
        std::optional<std::string> selector;
        ReceiveHandler receiveHandler;
        CallbackHandler callbackHandler;
    };

    void add(const platform::ObjectPtr& observer, const std::string& name, XQCFNotificationObserver entry);
    static void dispatch(const std::string& name, const XQUserInfo& userInfo);
    static void deliver(const XQCFNotificationObserver& entry, const std::string& name, const XQUserInfo& userInfo);
    static void post(const std::string& name, const XQUserInfo& userInfo, bool sandbox);

    std::map<std::string, std::vector<XQCFNotificationObserver>> observerDict_;
    bool isSandbox_ = false;
};
