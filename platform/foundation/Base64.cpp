#include "platform/foundation/Base64.h"

#include <openssl/evp.h>

namespace platform {

namespace {

// Multiples of 3 (input of an encoding step) and of 4 (input of a decoding step) that EVP's int
// lengths can take.
constexpr std::size_t kEncodeChunk = 3 * (std::size_t(1) << 28);
constexpr std::size_t kDecodeChunk = 4 * (std::size_t(1) << 28);

bool isBase64Character(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

}  // namespace

std::string base64EncodedString(const void* bytes, std::size_t size) {
    std::string text((size + 2) / 3 * 4 + 1, '\0');
    const auto* in = static_cast<const unsigned char*>(bytes);
    auto* out = reinterpret_cast<unsigned char*>(text.data());
    std::size_t written = 0;
    while (size > 0) {
        std::size_t piece = size < kEncodeChunk ? size : kEncodeChunk;
        written += static_cast<std::size_t>(EVP_EncodeBlock(out + written, in, static_cast<int>(piece)));
        in += piece;
        size -= piece;
    }
    text.resize(written);
    return text;
}

std::optional<Data> dataFromBase64(std::string_view text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::size_t padding = 0;
    if (!text.empty() && text.back() == '=') padding = text[text.size() - 2] == '=' ? 2 : 1;
    for (std::size_t i = 0; i < text.size() - padding; ++i)
        if (!isBase64Character(static_cast<unsigned char>(text[i]))) return std::nullopt;

    std::vector<std::uint8_t> bytes(text.size() / 4 * 3);
    const auto* in = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t remaining = text.size(), written = 0;
    while (remaining > 0) {
        std::size_t piece = remaining < kDecodeChunk ? remaining : kDecodeChunk;
        int decoded = EVP_DecodeBlock(bytes.data() + written, in, static_cast<int>(piece));
        if (decoded < 0) return std::nullopt;
        written += static_cast<std::size_t>(decoded);
        in += piece;
        remaining -= piece;
    }
    // EVP counts the padded positions as zero bytes.
    bytes.resize(written - padding);
    return Data(std::move(bytes));
}

}  // namespace platform
