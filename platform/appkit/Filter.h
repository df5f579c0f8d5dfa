#pragma once

// Image filters applied to a view's rendered content. Only what the interface uses is implemented:
// "CIColorClamp" (each channel clamped between "inputMinComponents" and "inputMaxComponents", four
// numbers each: red, green, blue, opacity). Unknown filters leave the content unchanged.

#include <memory>
#include <string>

#include "platform/foundation/Value.h"
#include "platform/runtime/Object.h"

namespace platform {

class Filter;
using FilterPtr = std::shared_ptr<Filter>;

class Filter : public Object {
public:
    // A filter of a known name; null for unknown names.
    static FilterPtr named(const std::string& name);
    explicit Filter(std::string name) : name_(std::move(name)) {}

    const std::string& name() const { return name_; }
    // The defaults of the filter's inputs (for the colour clamp: 0,0,0,0 to 1,1,1,1).
    void setDefaults();
    void setValue(const std::string& key, Value value) { inputs_[key] = std::move(value); }
    const Value& value(const std::string& key) const {
        auto it = inputs_.find(key);
        return it == inputs_.end() ? Value::absent() : it->second;
    }
    const Dictionary& inputs() const { return inputs_; }

    // Applies the filter to premultiplied ARGB32 pixels in place.
    void apply(unsigned char* pixels, int width, int height, int stride) const;

private:
    std::string name_;
    Dictionary inputs_;
};

}  // namespace platform
