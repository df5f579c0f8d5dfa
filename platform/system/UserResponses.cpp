#include "platform/system/UserResponses.h"

#include "platform/foundation/Dispatch.h"
#include "platform/foundation/RunLoop.h"

namespace platform {

UserResponses& UserResponses::shared() {
    static UserResponses instance;
    return instance;
}

void UserResponses::reset() {
    std::lock_guard lock(mutex_);
    answers_.clear();
    default_.reset();
    waiting_.clear();
    presented_.clear();
}

std::optional<UserResponse> UserResponses::takeLocked() {
    if (!answers_.empty()) {
        UserResponse r = answers_.front();
        answers_.erase(answers_.begin());
        return r;
    }
    return default_;
}

void UserResponses::answer(UserResponse response) {
    std::function<void(const UserResponse&)> completion;
    {
        std::lock_guard lock(mutex_);
        // A modal run is the innermost thing on screen: it takes the answer first.
        if (modalDepth_ == 0 && !waiting_.empty()) {
            completion = std::move(waiting_.front());
            waiting_.erase(waiting_.begin());
        } else {
            answers_.push_back(std::move(response));
        }
    }
    if (completion)
        dispatch::main().async([completion = std::move(completion), response] { completion(response); });
    RunLoop::main().wakeUp();
}

void UserResponses::setDefaultAnswer(std::optional<UserResponse> response) {
    std::lock_guard lock(mutex_);
    default_ = std::move(response);
}

std::size_t UserResponses::pendingAnswers() const {
    std::lock_guard lock(mutex_);
    return answers_.size();
}

std::size_t UserResponses::waitingDialogs() const {
    std::lock_guard lock(mutex_);
    return waiting_.size() + static_cast<std::size_t>(modalDepth_);
}

std::vector<PresentedDialog> UserResponses::presented() const {
    std::lock_guard lock(mutex_);
    return presented_;
}

UserResponse UserResponses::runModal(const PresentedDialog& dialog) {
    {
        std::lock_guard lock(mutex_);
        presented_.push_back(dialog);
        if (auto r = takeLocked()) return *r;
        ++modalDepth_;
    }
    std::optional<UserResponse> result;
    auto arrived = [&] {
        std::lock_guard lock(mutex_);
        if (!result) result = takeLocked();
        return result.has_value();
    };
    // The user may take as long as they like; keep turning the loop in the modal mode.
    while (!RunLoop::main().runUntil(arrived, 3600.0, RunLoopMode::ModalPanel)) {
    }
    std::lock_guard lock(mutex_);
    --modalDepth_;
    return *result;
}

void UserResponses::begin(const PresentedDialog& dialog, std::function<void(const UserResponse&)> completion) {
    std::optional<UserResponse> now;
    {
        std::lock_guard lock(mutex_);
        presented_.push_back(dialog);
        now = takeLocked();
        if (!now) {
            waiting_.push_back(std::move(completion));
            return;
        }
    }
    dispatch::main().async([completion = std::move(completion), r = *now] { completion(r); });
}

}  // namespace platform
