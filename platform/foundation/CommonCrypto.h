#pragma once

// The one-call symmetric cipher and the MD5 digest of the platform's CommonCrypto library, with its
// constants and status numbering, so that callers (and the statuses they print) read the same on
// every platform. Backed by OpenSSL 3.

#include <cstddef>
#include <cstdint>

namespace platform {

struct CommonCrypto {
    CommonCrypto() = delete;

    // Status codes, CommonCrypto's own numbers.
    using Status = std::int32_t;
    static constexpr Status kSuccess = 0;
    static constexpr Status kParamError = -4300;      // a bad argument (algorithm, key size, null buffer)
    static constexpr Status kBufferTooSmall = -4301;  // the output buffer cannot hold the result
    static constexpr Status kMemoryFailure = -4302;
    static constexpr Status kAlignmentError = -4303;  // input not a whole number of blocks
    static constexpr Status kDecodeError = -4304;     // bad padding after decryption
    static constexpr Status kUnimplemented = -4305;

    using Operation = std::uint32_t;
    static constexpr Operation kEncrypt = 0;
    static constexpr Operation kDecrypt = 1;

    using Algorithm = std::uint32_t;
    static constexpr Algorithm kAlgorithmAES = 0;

    using Options = std::uint32_t;
    static constexpr Options kOptionPKCS7Padding = 1;
    static constexpr Options kOptionECBMode = 2;  // without it the mode is CBC

    static constexpr std::size_t kKeySizeAES128 = 16;
    static constexpr std::size_t kKeySizeAES192 = 24;
    static constexpr std::size_t kKeySizeAES256 = 32;
    static constexpr std::size_t kBlockSizeAES128 = 16;
    static constexpr std::size_t kMD5DigestLength = 16;

    static constexpr bool isValidAESKeySize(std::size_t size) {
        return size == kKeySizeAES128 || size == kKeySizeAES192 || size == kKeySizeAES256;
    }

    // CCCrypt: encrypts or decrypts `dataIn` in one call. `iv` is read for 16 bytes in CBC mode (null
    // means all zeros) and ignored in ECB mode. `dataOutMoved` (may be null) receives the bytes
    // written, or on kBufferTooSmall the size the output needs. Nothing is written beyond
    // `dataOutAvailable` bytes of `dataOut`.
    static Status crypt(Operation op, Algorithm alg, Options options, const void* key, std::size_t keyLength,
                        const void* iv, const void* dataIn, std::size_t dataInLength, void* dataOut,
                        std::size_t dataOutAvailable, std::size_t* dataOutMoved);

    // CC_MD5: the MD5 digest of `length` bytes into `digest` (16 bytes); answers `digest`.
    static unsigned char* md5(const void* data, std::size_t length, unsigned char* digest);
};

}  // namespace platform
