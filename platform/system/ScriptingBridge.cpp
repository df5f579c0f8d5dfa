#include "platform/system/ScriptingBridge.h"

#include "platform/system/Session.h"

namespace platform {

namespace {

class FinderItem final : public SBObject {
public:
    explicit FinderItem(std::string url) : url_(std::move(url)) {}
    Value get() const override { return Value(url_); }
    Value property(const std::string& name) const override {
        if (name == "URL" || name == "url") return Value(url_);
        return {};
    }

private:
    std::string url_;
};

class FinderSelection final : public SBObject {
public:
    Value get() const override {
        auto& session = Session::shared();
        if (!session.automationAllowed()) return {};
        Array items;
        for (const auto& url : session.finderSelection()) items.emplace_back(ObjectPtr(std::make_shared<FinderItem>(url)));
        return Value(std::move(items));
    }
};

}  // namespace

std::shared_ptr<SBApplication> SBApplication::withBundleIdentifier(const std::string& bundleIdentifier) {
    if (bundleIdentifier != "com.apple.finder") return nullptr;
    return std::make_shared<SBApplication>(bundleIdentifier);
}

bool SBApplication::frontmost() const { return Session::shared().frontmostApplication() == bundleIdentifier_; }

std::shared_ptr<SBObject> SBApplication::selection() const { return std::make_shared<FinderSelection>(); }

Value SBApplication::property(const std::string& name) const {
    if (name == "frontmost") return Value(frontmost());
    if (name == "selection") return Value(ObjectPtr(selection()));
    return {};
}

}  // namespace platform
