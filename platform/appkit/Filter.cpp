#include "platform/appkit/Filter.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace platform {

FilterPtr Filter::named(const std::string& name) {
    if (name != "CIColorClamp") return nullptr;
    return std::make_shared<Filter>(name);
}

void Filter::setDefaults() {
    if (name_ == "CIColorClamp") {
        inputs_["inputMinComponents"] = Value(Array{Value(0.0), Value(0.0), Value(0.0), Value(0.0)});
        inputs_["inputMaxComponents"] = Value(Array{Value(1.0), Value(1.0), Value(1.0), Value(1.0)});
    }
}

namespace {
bool fourNumbers(const Value& value, double out[4]) {
    const Array* array = value.array();
    if (!array || array->size() != 4) return false;
    for (int i = 0; i < 4; ++i) {
        auto d = (*array)[static_cast<std::size_t>(i)].doubleValue();
        if (!d) return false;
        out[i] = *d;
    }
    return true;
}
}  // namespace

void Filter::apply(unsigned char* pixels, int width, int height, int stride) const {
    if (name_ != "CIColorClamp") return;
    double lo[4] = {0, 0, 0, 0}, hi[4] = {1, 1, 1, 1};
    fourNumbers(value("inputMinComponents"), lo);
    fourNumbers(value("inputMaxComponents"), hi);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t v;
            std::memcpy(&v, pixels + y * stride + x * 4, 4);
            double a = ((v >> 24) & 0xff) / 255.0;
            double c[3];
            for (int i = 0; i < 3; ++i) {
                int shift = 16 - 8 * i;
                c[i] = a > 0 ? ((v >> shift) & 0xff) / 255.0 / a : 0.0;
                c[i] = std::clamp(c[i], lo[i], hi[i]);
            }
            a = std::clamp(a, lo[3], hi[3]);
            auto byte = [](double d) { return static_cast<std::uint32_t>(std::clamp(d, 0.0, 1.0) * 255 + 0.5); };
            std::uint32_t out = byte(a) << 24 | byte(c[0] * a) << 16 | byte(c[1] * a) << 8 | byte(c[2] * a);
            std::memcpy(pixels + y * stride + x * 4, &out, 4);
        }
    }
}

}  // namespace platform
