#include "platform/foundation/UTF16.h"

#include <unicode/ustring.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <limits>

#include "platform/foundation/URL.h"

namespace platform {

namespace {

// Calls `visit` with each scalar of a UTF-8 text, an invalid sequence giving U+FFFD.
template <class Visit>
void forEachScalar(std::string_view text, Visit&& visit) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    int32_t length = static_cast<int32_t>(std::min<std::size_t>(text.size(), INT32_MAX));
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT_OR_FFFD(bytes, i, length, c);
        visit(c);
    }
}

void appendUTF8(std::string& out, UChar32 c) {
    std::uint8_t buffer[4];
    int32_t n = 0;
    U8_APPEND_UNSAFE(buffer, n, c);
    out.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(n));
}

}  // namespace

std::u16string toUTF16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    forEachScalar(text, [&](UChar32 c) {
        if (c <= 0xFFFF) {
            out.push_back(static_cast<char16_t>(c));
        } else {
            out.push_back(static_cast<char16_t>(U16_LEAD(c)));
            out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
        }
    });
    return out;
}

std::string fromUTF16(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = text[i++];
        if (U16_IS_LEAD(c) && i < text.size() && U16_IS_TRAIL(text[i])) {
            c = U16_GET_SUPPLEMENTARY(c, text[i]);
            ++i;
        } else if (U16_IS_SURROGATE(c)) {
            c = 0xFFFD;
        }
        appendUTF8(out, c);
    }
    return out;
}

std::string repairingUTF8(std::string_view text) {
    if (isValidUTF8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() + 8);
    forEachScalar(text, [&](UChar32 c) { appendUTF8(out, c); });
    return out;
}

std::int64_t utf16Length(std::string_view text) {
    std::int64_t units = 0;
    forEachScalar(text, [&](UChar32 c) { units += c > 0xFFFF ? 2 : 1; });
    return units;
}

Range clampedRange(Range range, std::int64_t length) {
    std::int64_t start = std::clamp<std::int64_t>(range.location, 0, length);
    std::int64_t end;
    if (__builtin_add_overflow(range.location, range.length, &end))
        end = range.length > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
    end = std::clamp<std::int64_t>(end, start, length);
    return Range{start, end - start};
}

std::string substringWithRange(std::string_view text, Range range) {
    std::u16string units = toUTF16(text);
    Range inside = clampedRange(range, static_cast<std::int64_t>(units.size()));
    return fromUTF16(std::u16string_view(units).substr(static_cast<std::size_t>(inside.location),
                                                        static_cast<std::size_t>(inside.length)));
}

}  // namespace platform
