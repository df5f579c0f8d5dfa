#include "XQKit/Crypto.h"

#include <array>
#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/foundation/Base64.h"
#include "platform/foundation/CommonCrypto.h"
#include "platform/foundation/ProcessInfo.h"
#include "platform/foundation/URL.h"

using platform::CommonCrypto;
using platform::Data;

namespace {

template <std::size_t N>
std::string hex(const std::array<std::uint8_t, N>& bytes, bool upper) {
    const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string text(2 * N, '\0');
    for (std::size_t i = 0; i < N; ++i) {
        text[2 * i] = digits[bytes[i] >> 4];
        text[2 * i + 1] = digits[bytes[i] & 0xF];
    }
    return text;
}

void printLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

std::optional<std::string> utf8Text(const std::uint8_t* bytes, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(bytes), size);
    if (!platform::isValidUTF8(text)) return std::nullopt;
    return text;
}

// One CCCrypt call into a buffer of the input length + 16 bytes, cut to what it moved.
struct CryptResult {
    CommonCrypto::Status status;
    std::vector<std::uint8_t> bytes;
};

CryptResult cryptOnce(CommonCrypto::Operation op, CommonCrypto::Options options, const Data& key, const void* iv,
                      const void* in, std::size_t inLength) {
    CryptResult result{CommonCrypto::kSuccess, std::vector<std::uint8_t>(inLength + CommonCrypto::kBlockSizeAES128)};
    std::size_t moved = 0;
    result.status = CommonCrypto::crypt(op, CommonCrypto::kAlgorithmAES, options, key.data(), key.size(), iv, in,
                                        inLength, result.bytes.data(), result.bytes.size(), &moved);
    result.bytes.resize(result.status == CommonCrypto::kSuccess ? moved : 0);
    return result;
}

constexpr CommonCrypto::Options kCBC = CommonCrypto::kOptionPKCS7Padding;
constexpr CommonCrypto::Options kECB = CommonCrypto::kOptionPKCS7Padding | CommonCrypto::kOptionECBMode;

}  // namespace

std::string md5Lower(std::string_view text) { return hex(platform::InsecureMD5::hash(text), false); }

std::string md5Upper(std::string_view text) { return hex(platform::InsecureMD5::hash(text), true); }

std::string sha256(std::string_view text) {
    // The digest comes from CryptoKit, which systems before 10.15 lack.
    if (!platform::ProcessInfo::processInfo().isOperatingSystemAtLeast({10, 15, 0})) return {};
    return hex(platform::SHA256::hash(text), false);
}

std::string base64Encode(std::string_view text) { return platform::base64EncodedString(text.data(), text.size()); }

std::string base64Decode(std::string_view text) {
    auto data = platform::dataFromBase64(text);
    if (!data) return {};
    return utf8Text(data->data(), data->size()).value_or(std::string());
}

std::optional<Data> aesEncrypt(std::string_view text, const platform::SymmetricKey& key) {
    auto box = platform::AESGCM::seal(text, key);
    if (!box) return std::nullopt;
    return std::move(*box).takeCombined();
}

std::optional<Data> aesCBCEncrypt(std::string_view text, const Data& key, const Data& iv) {
    if (!CommonCrypto::isValidAESKeySize(key.size())) {
        printLine("aesCBCEncrypt invalid aes key size");
        return std::nullopt;
    }
    // CCCrypt reads 16 bytes of IV; a shorter one is refused rather than read past.
    if (iv.size() < CommonCrypto::kBlockSizeAES128) {
        printLine("AES encryption failed with status : " + std::to_string(CommonCrypto::kParamError));
        return std::nullopt;
    }
    auto result = cryptOnce(CommonCrypto::kEncrypt, kCBC, key, iv.data(), text.data(), text.size());
    if (result.status != CommonCrypto::kSuccess) {
        printLine("AES encryption failed with status : " + std::to_string(result.status));
        return std::nullopt;
    }
    return Data(std::move(result.bytes));
}

std::optional<Data> aesECBEncrypt(std::string_view text, const Data& key) {
    if (!CommonCrypto::isValidAESKeySize(key.size())) return std::nullopt;
    auto result = cryptOnce(CommonCrypto::kEncrypt, kECB, key, nullptr, text.data(), text.size());
    if (result.status != CommonCrypto::kSuccess) {
        printLine("AES encryption failed with status : " + std::to_string(result.status));
        return std::nullopt;
    }
    return Data(std::move(result.bytes));
}

std::optional<std::string> AESCrypt::decrypt(const Data& combined, const platform::SymmetricKey& key) {
    auto box = platform::AESGCM::SealedBox::fromCombined(combined);
    if (!box) return std::nullopt;
    auto plain = platform::AESGCM::open(*box, key);
    if (!plain) return std::nullopt;
    return utf8Text(plain->data(), plain->size());
}

std::optional<std::string> AESCrypt::cbcDecrypt(const Data& data, const Data& key) {
    constexpr std::size_t ivSize = CommonCrypto::kBlockSizeAES128;
    if (data.size() < ivSize || !CommonCrypto::isValidAESKeySize(key.size())) {
        printLine("AESCrypt cbcDecrypt invalid params");
        return std::nullopt;
    }
    auto result = cryptOnce(CommonCrypto::kDecrypt, kCBC, key, data.data(), data.data() + ivSize, data.size() - ivSize);
    if (result.status != CommonCrypto::kSuccess) {
        printLine("AESCrypt cbcDecrypt failed : " + std::to_string(result.status));
        return std::nullopt;
    }
    return utf8Text(result.bytes.data(), result.bytes.size());
}

std::optional<std::string> AESCrypt::ecbDecrypt(const Data& data, const Data& key) {
    if (!CommonCrypto::isValidAESKeySize(key.size())) {
        printLine("AESCrypt ecbDecrypt invalid params");
        return std::nullopt;
    }
    auto result = cryptOnce(CommonCrypto::kDecrypt, kECB, key, nullptr, data.data(), data.size());
    if (result.status != CommonCrypto::kSuccess) {
        printLine("AESCrypt ecbDecrypt failed : " + std::to_string(result.status));
        return std::nullopt;
    }
    return utf8Text(result.bytes.data(), result.bytes.size());
}

