#include "platform/foundation/StringFormat.h"

#include <cctype>

namespace platform {

std::string stringWithFormat(std::string_view format, const std::vector<std::string>& objects) {
    std::string out;
    out.reserve(format.size());
    std::size_t next = 0;
    auto object = [&](std::size_t index) { return index < objects.size() ? objects[index] : std::string("(null)"); };
    for (std::size_t i = 0; i < format.size(); ++i) {
        char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        if (format[i + 1] == '%') {
            out += '%';
            ++i;
        } else if (format[i + 1] == '@') {
            out += object(next++);
            ++i;
        } else {
            // "%<n>$@": a positional object.
            std::size_t j = i + 1;
            std::size_t position = 0;
            while (j < format.size() && std::isdigit(static_cast<unsigned char>(format[j])))
                position = position * 10 + static_cast<std::size_t>(format[j++] - '0');
            if (j + 1 < format.size() && j > i + 1 && format[j] == '$' && format[j + 1] == '@' && position > 0) {
                out += object(position - 1);
                i = j + 1;
            } else {
                out += c;
            }
        }
    }
    return out;
}

}  // namespace platform
