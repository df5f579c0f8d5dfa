#pragma once

// What the file system says about the item at a file URL, as the platform's resource values: its
// kind, whether a folder is a package (its extension names a package type, like ".app"), and its
// uniform type. The values describe the item itself: a symbolic link is not followed. Read afresh on
// each call.

#include <optional>

#include "platform/foundation/URL.h"
#include "platform/foundation/UniformType.h"

namespace platform {

struct URLResourceValues {
    bool isDirectory = false;
    bool isRegularFile = false;
    bool isSymbolicLink = false;
    bool isPackage = false;       // a folder whose type conforms to com.apple.package
    UniformType contentType = UniformType::item();

    // Absent when the URL is not a file URL or nothing can be reached there (missing, or a folder on
    // the way cannot be searched).
    static std::optional<URLResourceValues> read(const URL& url);
};

}  // namespace platform
