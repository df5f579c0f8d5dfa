#pragma once

// Scripting another application through Apple events. Only Finder is scriptable in the simulated
// session: its frontmost state and its selection, whose items answer their "URL" property (a file URL
// text). Without the Automation permission every request fails and answers absent.

#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class SBObject : public Object {
public:
    // Evaluates the reference: for Finder's selection, an array of item objects; absent on failure.
    virtual Value get() const { return {}; }
    virtual Value property(const std::string& name) const {
        (void)name;
        return {};
    }
};

class SBApplication : public SBObject {
public:
    // An application object for the bundle identifier; null when no such application is scriptable.
    static std::shared_ptr<SBApplication> withBundleIdentifier(const std::string& bundleIdentifier);

    const std::string& bundleIdentifier() const { return bundleIdentifier_; }
    bool isRunning() const { return true; }
    bool frontmost() const;
    // The application's selection, a reference to evaluate with `get`.
    std::shared_ptr<SBObject> selection() const;
    Value property(const std::string& name) const override;

    explicit SBApplication(std::string bundleIdentifier) : bundleIdentifier_(std::move(bundleIdentifier)) {}

private:
    std::string bundleIdentifier_;
};

}  // namespace platform
