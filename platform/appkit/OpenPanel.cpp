#include "platform/appkit/OpenPanel.h"

#include "platform/system/UserResponses.h"

namespace platform {

void OpenPanel::apply(const UserResponse& response) {
    urls_.clear();
    url_.reset();
    if (response.response != 1) return;
    urls_ = response.urls;
    if (!allowsMultipleSelection && urls_.size() > 1) urls_.erase(urls_.begin() + 1, urls_.end());
    if (!urls_.empty()) url_ = urls_.front();
}

}  // namespace platform
