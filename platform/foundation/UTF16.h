#pragma once

// Texts seen as the platform's strings see them: sequences of UTF-16 code units. Texts come in as
// UTF-8; each invalid UTF-8 sequence reads as U+FFFD, the way the platform makes a string of bytes.
// A lone surrogate going out becomes U+FFFD. (Texts are read up to 2 GiB.)

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/foundation/Range.h"

namespace platform {

std::u16string toUTF16(std::string_view text);
std::string fromUTF16(std::u16string_view text);

// The text with every invalid UTF-8 sequence replaced by U+FFFD; valid text comes back unchanged.
std::string repairingUTF8(std::string_view text);

std::int64_t utf16Length(std::string_view text);

// The part of the range that lies inside a text of `length` units (empty, at the nearer end, when none
// does; a negative length counts as 0). Nothing outside the text is ever read.
Range clampedRange(Range range, std::int64_t length);

// The text in a UTF-16 range, clamped to the text.
std::string substringWithRange(std::string_view text, Range range);

}  // namespace platform
