#include "platform/foundation/CommonCrypto.h"

#include <openssl/crypto.h>

#include <cstring>
#include <limits>

#include "platform/foundation/detail/OpenSSL.h"

namespace platform {

CommonCrypto::Status CommonCrypto::crypt(Operation op, Algorithm alg, Options options, const void* key,
                                         std::size_t keyLength, const void* iv, const void* dataIn,
                                         std::size_t dataInLength, void* dataOut, std::size_t dataOutAvailable,
                                         std::size_t* dataOutMoved) {
    constexpr std::size_t block = kBlockSizeAES128;
    if (dataOutMoved) *dataOutMoved = 0;
    if (alg != kAlgorithmAES || (op != kEncrypt && op != kDecrypt)) return kParamError;
    if (!key || !isValidAESKeySize(keyLength)) return kParamError;
    if (dataInLength > 0 && !dataIn) return kParamError;
    if (dataInLength > std::numeric_limits<std::size_t>::max() - 2 * block) return kParamError;

    const bool encrypt = op == kEncrypt;
    const bool padding = (options & kOptionPKCS7Padding) != 0;
    const bool ecb = (options & kOptionECBMode) != 0;

    std::size_t needed;
    if (encrypt && padding) {
        needed = (dataInLength / block + 1) * block;
    } else {
        if (dataInLength % block != 0) return kAlignmentError;
        if (!encrypt && padding && dataInLength == 0) return kDecodeError;
        needed = dataInLength;
    }
    if (dataOutAvailable < needed) {
        if (dataOutMoved) *dataOutMoved = needed;
        return kBufferTooSmall;
    }
    if (needed > 0 && !dataOut) return kParamError;

    static const unsigned char zeroIV[block] = {};
    const unsigned char* ivBytes = ecb ? nullptr : (iv ? static_cast<const unsigned char*>(iv) : zeroIV);
    const EVP_CIPHER* cipher = detail::aesCipher(ecb ? detail::AESMode::ECB : detail::AESMode::CBC, keyLength);
    EVP_CIPHER_CTX* context = detail::threadCipherContext();
    if (!cipher || !context) return kMemoryFailure;
    const auto* keyBytes = static_cast<const unsigned char*>(key);
    int initialised = encrypt ? EVP_EncryptInit_ex2(context, cipher, keyBytes, ivBytes, nullptr)
                              : EVP_DecryptInit_ex2(context, cipher, keyBytes, ivBytes, nullptr);
    if (!initialised) return kParamError;
    EVP_CIPHER_CTX_set_padding(context, 0);  // padding is added and checked here, for exact control of dataOut

    const auto* in = static_cast<const unsigned char*>(dataIn);
    auto* out = static_cast<unsigned char*>(dataOut);
    const std::size_t whole = dataInLength - dataInLength % block;
    if (!detail::cipherUpdate(context, encrypt, in, whole, out)) return kParamError;

    std::size_t moved = whole;
    if (encrypt && padding) {
        unsigned char last[block];
        std::size_t rest = dataInLength - whole;
        if (rest > 0) std::memcpy(last, in + whole, rest);
        std::memset(last + rest, static_cast<int>(block - rest), block - rest);
        bool ok = detail::cipherUpdate(context, true, last, block, out + whole);
        OPENSSL_cleanse(last, sizeof last);
        if (!ok) return kParamError;
        moved += block;
    } else if (!encrypt && padding) {
        unsigned pad = out[whole - 1];
        bool valid = pad >= 1 && pad <= block;
        for (std::size_t k = 1; valid && k <= pad; ++k) valid = out[whole - k] == pad;
        if (!valid) return kDecodeError;
        moved -= pad;
    }
    if (dataOutMoved) *dataOutMoved = moved;
    return kSuccess;
}

unsigned char* CommonCrypto::md5(const void* data, std::size_t length, unsigned char* digest) {
    static const unsigned char empty = 0;
    EVP_Digest(length ? data : &empty, length, digest, nullptr, detail::md5Algorithm(), nullptr);
    return digest;
}

}  // namespace platform
