#pragma once

// Save panels: where to save a file. The user's answer comes from the session: confirming (1) gives
// the chosen URL, or the name field's text in the starting folder; cancelling (0) gives none.

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/appkit/View.h"
#include "platform/appkit/Window.h"
#include "platform/foundation/URL.h"

namespace platform {

struct UserResponse;
struct PresentedDialog;

class SavePanel : public Object {
public:
    static std::shared_ptr<SavePanel> make() { return std::make_shared<SavePanel>(); }

    std::string title;
    std::string message;
    std::string prompt;
    std::string nameFieldLabel;
    std::string nameFieldStringValue;
    std::optional<URL> directoryURL;
    bool canCreateDirectories = true;
    bool canSelectHiddenExtension = false;
    bool isExtensionHidden = true;
    bool showsHiddenFiles = false;
    ViewPtr accessoryView;
    std::optional<std::string> identifier;

    const std::optional<URL>& url() const { return url_; }

    long runModal();
    // As a sheet on `window`; `handler` runs on the main queue with the response.
    void beginSheetModal(const WindowPtr& window, std::function<void(long)> handler);
    // Free-standing, not modal.
    void begin(std::function<void(long)> handler);

protected:
    virtual std::string kind() const { return "save"; }
    virtual void apply(const UserResponse& response);
    PresentedDialog presentation(bool sheet) const;
    std::optional<URL> url_;
};

using SavePanelPtr = std::shared_ptr<SavePanel>;

}  // namespace platform
