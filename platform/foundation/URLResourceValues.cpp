#include "platform/foundation/URLResourceValues.h"

#include <sys/stat.h>

#include "platform/foundation/PathUtilities.h"

namespace platform {

std::optional<URLResourceValues> URLResourceValues::read(const URL& url) {
    if (!url.isFileURL()) return std::nullopt;
    std::string path = url.fileSystemRepresentation();
    struct stat item {};
    if (::lstat(path.c_str(), &item) != 0) return std::nullopt;
    URLResourceValues values;
    values.isSymbolicLink = S_ISLNK(item.st_mode);
    values.isDirectory = S_ISDIR(item.st_mode);
    values.isRegularFile = S_ISREG(item.st_mode);

    std::string extension = pathExtension(path);
    if (values.isDirectory) {
        auto type = UniformType::withFilenameExtension(extension, UniformType::directory());
        values.contentType = type && type->isDeclared() ? *type : UniformType::folder();
        values.isPackage = values.contentType.conforms(UniformType::package());
    } else if (values.isSymbolicLink) {
        values.contentType = *UniformType::withIdentifier("public.symlink");
    } else {
        auto type = UniformType::withFilenameExtension(extension, UniformType::data());
        values.contentType = type ? *type : UniformType::data();
    }
    return values;
}

}  // namespace platform
