#pragma once

// Base64 as the platform's data type reads and writes it: the standard alphabet with "=" padding,
// no line breaks when encoding, and strict decoding (no other characters, padded to whole groups).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/Data.h"

namespace platform {

std::string base64EncodedString(const void* bytes, std::size_t size);
inline std::string base64EncodedString(const Data& data) { return base64EncodedString(data.data(), data.size()); }

// The decoded bytes; absent when the text holds a character outside the alphabet, white space
// included, is not a whole number of four-character groups, or has padding anywhere but at its end.
std::optional<Data> dataFromBase64(std::string_view text);

}  // namespace platform
