#pragma once

// Format strings whose placeholders take objects, as localised texts use them: "%@" takes the next
// object, "%1$@", "%2$@", ... a given one, "%%" is a percent sign. A placeholder without an object
// becomes "(null)", as the platform's formatter writes it; any other "%" sequence is kept as it
// stands.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

std::string stringWithFormat(std::string_view format, const std::vector<std::string>& objects);

}  // namespace platform
