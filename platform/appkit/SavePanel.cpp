#include "platform/appkit/SavePanel.h"

#include <cstdlib>

#include "platform/system/UserResponses.h"

namespace platform {

PresentedDialog SavePanel::presentation(bool sheet) const {
    PresentedDialog d;
    d.kind = kind();
    d.title = title;
    d.message = message;
    if (!prompt.empty()) d.buttons.push_back(prompt);
    d.sheet = sheet;
    return d;
}

void SavePanel::apply(const UserResponse& response) {
    url_.reset();
    if (response.response != 1) return;
    if (!response.urls.empty()) {
        url_ = response.urls.front();
        return;
    }
    if (nameFieldStringValue.empty()) return;
    URL folder = directoryURL ? *directoryURL
                              : URL::fileURLWithPath(std::getenv("HOME") ? std::getenv("HOME") : "/", true);
    url_ = folder.appendingPathComponent(nameFieldStringValue);
}

long SavePanel::runModal() {
    UserResponse r = UserResponses::shared().runModal(presentation(false));
    apply(r);
    return r.response;
}

void SavePanel::beginSheetModal(const WindowPtr& window, std::function<void(long)> handler) {
    auto self = sharedFromThis<SavePanel>();
    UserResponses::shared().begin(presentation(window != nullptr), [self, handler = std::move(handler)](const UserResponse& r) {
        self->apply(r);
        if (handler) handler(r.response);
    });
}

void SavePanel::begin(std::function<void(long)> handler) { beginSheetModal(nullptr, std::move(handler)); }

}  // namespace platform
