#include "platform/foundation/CharacterSet.h"

#include <unicode/uniset.h>

#include "platform/foundation/detail/ICU.h"

namespace platform {

struct CharacterSet::Impl {
    icu::UnicodeSet set;
};

namespace {

std::shared_ptr<const CharacterSet::Impl> frozen(icu::UnicodeSet set) {
    auto impl = std::make_shared<CharacterSet::Impl>();
    impl->set = std::move(set);
    impl->set.freeze();
    return impl;
}

icu::UnicodeSet fromPattern(const char* pattern) {
    UErrorCode status = U_ZERO_ERROR;
    icu::UnicodeSet set(icu::UnicodeString(pattern, -1, US_INV), status);
    return U_SUCCESS(status) ? set : icu::UnicodeSet();
}

}  // namespace

#define XQ_STANDARD_SET(name, pattern)                          \
    CharacterSet CharacterSet::name() {                         \
        static const auto impl = frozen(fromPattern(pattern));  \
        return CharacterSet(impl);                              \
    }

XQ_STANDARD_SET(whitespaces, "[\\p{Zs}\\u0009]")
XQ_STANDARD_SET(newlines, "[\\u000A-\\u000D\\u0085\\u2028\\u2029]")
XQ_STANDARD_SET(whitespacesAndNewlines, "[\\p{Zs}\\u0009\\u000A-\\u000D\\u0085\\u2028\\u2029]")
XQ_STANDARD_SET(decimalDigits, "[\\p{Nd}]")
XQ_STANDARD_SET(letters, "[\\p{L}\\p{M}]")
XQ_STANDARD_SET(alphanumerics, "[\\p{L}\\p{M}\\p{N}]")
XQ_STANDARD_SET(punctuationCharacters, "[\\p{P}]")
XQ_STANDARD_SET(symbols, "[\\p{S}]")
XQ_STANDARD_SET(controlCharacters, "[\\p{Cc}\\p{Cf}]")

#undef XQ_STANDARD_SET

CharacterSet CharacterSet::fromCharacters(std::string_view characters) {
    icu::UnicodeSet set;
    set.addAll(detail::toICU(characters));
    return CharacterSet(frozen(std::move(set)));
}

CharacterSet CharacterSet::fromRange(char32_t first, char32_t last) {
    icu::UnicodeSet set;
    if (first <= last && last <= 0x10FFFF) set.add(static_cast<UChar32>(first), static_cast<UChar32>(last));
    return CharacterSet(frozen(std::move(set)));
}

bool CharacterSet::contains(char32_t scalar) const {
    return scalar <= 0x10FFFF && impl_->set.contains(static_cast<UChar32>(scalar));
}

CharacterSet CharacterSet::inverted() const {
    std::unique_ptr<icu::UnicodeSet> set(impl_->set.cloneAsThawed());
    set->complement();
    return CharacterSet(frozen(std::move(*set)));
}

CharacterSet CharacterSet::unioned(const CharacterSet& other) const {
    std::unique_ptr<icu::UnicodeSet> set(impl_->set.cloneAsThawed());
    set->addAll(other.impl_->set);
    return CharacterSet(frozen(std::move(*set)));
}

}  // namespace platform
