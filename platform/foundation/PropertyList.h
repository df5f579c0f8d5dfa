#pragma once

// Reading and writing property lists (XML and binary) as Values.

#include <optional>

#include "platform/foundation/Data.h"
#include "platform/foundation/Value.h"

namespace platform::PropertyList {

enum class Format { XML, Binary };

// Absent when the bytes are not a property list in either format.
std::optional<Value> parse(const Data& data);
std::optional<Value> parse(std::string_view bytes);
// Absent when the value holds something a property list cannot (absent entries, objects). A URL is
// written as its absolute string, unsigned integers above the signed range as unsigned.
std::optional<Data> serialize(const Value& value, Format format = Format::Binary);

}  // namespace platform::PropertyList
