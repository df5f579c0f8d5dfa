#pragma once

// Private to the platform layer: OpenSSL algorithm objects fetched once per process (a fetch per call
// costs more than hashing a short text), and a cipher context kept per thread.

#include <openssl/evp.h>

#include <cstddef>
#include <memory>

namespace platform::detail {

inline const EVP_MD* md5Algorithm() {
    static EVP_MD* md = EVP_MD_fetch(nullptr, "MD5", nullptr);
    return md;
}

inline const EVP_MD* sha256Algorithm() {
    static EVP_MD* md = EVP_MD_fetch(nullptr, "SHA2-256", nullptr);
    return md;
}

enum class AESMode { CBC, ECB, GCM };

// The AES cipher for a mode and key size (16, 24 or 32 bytes); null for any other size.
inline const EVP_CIPHER* aesCipher(AESMode mode, std::size_t keySize) {
    static EVP_CIPHER* ciphers[3][3] = {
        {EVP_CIPHER_fetch(nullptr, "AES-128-CBC", nullptr), EVP_CIPHER_fetch(nullptr, "AES-192-CBC", nullptr),
         EVP_CIPHER_fetch(nullptr, "AES-256-CBC", nullptr)},
        {EVP_CIPHER_fetch(nullptr, "AES-128-ECB", nullptr), EVP_CIPHER_fetch(nullptr, "AES-192-ECB", nullptr),
         EVP_CIPHER_fetch(nullptr, "AES-256-ECB", nullptr)},
        {EVP_CIPHER_fetch(nullptr, "AES-128-GCM", nullptr), EVP_CIPHER_fetch(nullptr, "AES-192-GCM", nullptr),
         EVP_CIPHER_fetch(nullptr, "AES-256-GCM", nullptr)},
    };
    int sizeIndex = keySize == 16 ? 0 : keySize == 24 ? 1 : keySize == 32 ? 2 : -1;
    if (sizeIndex < 0) return nullptr;
    return ciphers[static_cast<int>(mode)][sizeIndex];
}

// A cipher context of this thread, reset for a new operation.
inline EVP_CIPHER_CTX* threadCipherContext() {
    struct Free {
        void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
    };
    thread_local std::unique_ptr<EVP_CIPHER_CTX, Free> context(EVP_CIPHER_CTX_new());
    if (context) EVP_CIPHER_CTX_reset(context.get());
    return context.get();
}

// EVP lengths are ints: large inputs go through in pieces of this many bytes (a multiple of 16).
inline constexpr std::size_t kMaxEVPChunk = std::size_t(1) << 30;

// Runs input through an initialised context whose output matches its input length (whole blocks
// without padding, or a stream mode such as GCM), in pieces EVP's int lengths can take.
inline bool cipherUpdate(EVP_CIPHER_CTX* context, bool encrypt, const unsigned char* in, std::size_t length,
                         unsigned char* out) {
    while (length > 0) {
        std::size_t piece = length < kMaxEVPChunk ? length : kMaxEVPChunk;
        int written = 0;
        int ok = encrypt ? EVP_EncryptUpdate(context, out, &written, in, static_cast<int>(piece))
                         : EVP_DecryptUpdate(context, out, &written, in, static_cast<int>(piece));
        if (!ok || static_cast<std::size_t>(written) != piece) return false;
        in += piece;
        out += piece;
        length -= piece;
    }
    return true;
}

}  // namespace platform::detail
