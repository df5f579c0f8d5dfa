#include "platform/foundation/Date.h"

#include <chrono>
#include <cmath>
#include <ctime>

namespace platform {

Date Date::now() {
    using namespace std::chrono;
    auto since1970 = duration<double>(system_clock::now().time_since_epoch()).count();
    return fromUnixTime(since1970);
}

std::string Date::description() const {
    std::time_t seconds = static_cast<std::time_t>(std::floor(timeIntervalSince1970()));
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S +0000", &parts);
    return text;
}

}  // namespace platform
