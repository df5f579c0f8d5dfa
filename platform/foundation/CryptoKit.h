#pragma once

// The platform's modern cryptography framework (CryptoKit), as far as callers use it: symmetric keys,
// AES-GCM sealed boxes in their combined layout, SHA-256 and the insecure MD5 digest, and secure
// random bytes. Backed by OpenSSL 3. Failures that the framework throws are answered as absent.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/foundation/Data.h"

namespace platform {

// Fills `size` bytes with cryptographically secure random bytes; false when the generator fails.
bool secureRandomBytes(void* bytes, std::size_t size);

// A secret key: its bytes are wiped when the key goes.
class SymmetricKey {
public:
    enum class Size { bits128 = 128, bits192 = 192, bits256 = 256 };
    // A fresh random key of that size.
    explicit SymmetricKey(Size size);
    // A key holding exactly these bytes (of any length; ciphers refuse sizes they cannot use).
    explicit SymmetricKey(const Data& data);
    SymmetricKey(const void* bytes, std::size_t size);
    SymmetricKey(const SymmetricKey&) = default;
    SymmetricKey& operator=(const SymmetricKey&);
    ~SymmetricKey();

    std::size_t bitCount() const { return bytes_.size() * 8; }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

struct SHA256 {
    static constexpr std::size_t kByteCount = 32;
    using Digest = std::array<std::uint8_t, kByteCount>;
    static Digest hash(const void* bytes, std::size_t size);
    static Digest hash(std::string_view bytes) { return hash(bytes.data(), bytes.size()); }
};

struct InsecureMD5 {
    static constexpr std::size_t kByteCount = 16;
    using Digest = std::array<std::uint8_t, kByteCount>;
    static Digest hash(const void* bytes, std::size_t size);
    static Digest hash(std::string_view bytes) { return hash(bytes.data(), bytes.size()); }
};

struct AESGCM {
    static constexpr std::size_t kNonceSize = 12;
    static constexpr std::size_t kTagSize = 16;

    // A sealed message kept in the combined layout: nonce, ciphertext, tag.
    class SealedBox {
    public:
        // Reads a combined representation; absent when it is shorter than a nonce and a tag.
        static std::optional<SealedBox> fromCombined(Data combined);

        const Data& combined() const { return combined_; }
        Data takeCombined() && { return std::move(combined_); }
        Data nonce() const { return slice(0, kNonceSize); }
        Data ciphertext() const { return slice(kNonceSize, combined_.size() - kNonceSize - kTagSize); }
        Data tag() const { return slice(combined_.size() - kTagSize, kTagSize); }

    private:
        friend struct AESGCM;
        explicit SealedBox(Data combined) : combined_(std::move(combined)) {}
        Data slice(std::size_t from, std::size_t count) const { return Data(combined_.data() + from, count); }
        Data combined_;
    };

    // Seals `size` bytes under the key (128, 192 or 256 bits) with a fresh random nonce; absent when
    // the key size is unusable or the cipher fails.
    static std::optional<SealedBox> seal(const void* bytes, std::size_t size, const SymmetricKey& key);
    static std::optional<SealedBox> seal(std::string_view bytes, const SymmetricKey& key) {
        return seal(bytes.data(), bytes.size(), key);
    }
    // Opens a box, verifying its tag; absent for a wrong key, altered bytes or an unusable key size.
    static std::optional<Data> open(const SealedBox& box, const SymmetricKey& key);
};

}  // namespace platform
