#pragma once

// JSON text to and from property-list values, for tools and diagnostics.

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Value.h"

namespace platform {

// The value of a JSON text (any JSON value at the top); absent when the text is not JSON. JSON's null
// becomes `nullValue`.
std::optional<Value> parseJSON(std::string_view text, const Value& nullValue = Value());

// Compact JSON for a value. Kinds JSON lacks: data as the list of its byte values, dates, URLs and
// objects as their description, absent as null.
std::string jsonText(const Value& value);

}  // namespace platform
