#pragma once

// Storage for a process-wide instance that is made on first use and never destroyed. Shared services
// live until the process ends; destroying them at exit would run their teardown after the objects
// they reach (the main run loop, other services) may already be gone.

#include <new>
#include <utility>

namespace platform {

template <class T>
class Immortal {
public:
    template <class... Args>
    explicit Immortal(Args&&... args) {
        ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
    }
    Immortal(const Immortal&) = delete;
    Immortal& operator=(const Immortal&) = delete;
    // No destructor runs the instance's: that is the point.
    T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }

private:
    alignas(T) unsigned char storage_[sizeof(T)];
};

}  // namespace platform
