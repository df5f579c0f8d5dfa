#pragma once

// Hashing, Base64 and AES for texts. A text's UTF-8 encoding is its bytes: they are hashed, encoded
// and encrypted as given. Decoded and decrypted bytes must be valid UTF-8 to come back as text.
//
// Nothing here keeps a key: every key comes from the caller. The CBC and ECB paths print one plain
// line to standard output when they refuse or fail, with CommonCrypto's status numbers.

#include <optional>
#include <string>
#include <string_view>

#include "platform/foundation/CryptoKit.h"
#include "platform/foundation/Data.h"

// MD5 of the text as 32 hexadecimal digits, lower ("%02x") or upper ("%02X") case.
std::string md5Lower(std::string_view text);
std::string md5Upper(std::string_view text);
// SHA-256 as 64 lower-case hexadecimal digits; empty on systems before macOS 10.15.
std::string sha256(std::string_view text);

// Standard Base64 of the bytes, without line breaks.
std::string base64Encode(std::string_view text);
// The decoded text; empty when the input is not Base64 or the bytes are not UTF-8.
std::string base64Decode(std::string_view text);

// AES-GCM with a fresh random nonce: nonce (12 bytes), ciphertext, tag (16 bytes). Absent when
// sealing fails (for example a key of an unusable size).
std::optional<platform::Data> aesEncrypt(std::string_view text, const platform::SymmetricKey& key);
// AES-CBC with PKCS#7 padding: the ciphertext alone, without the IV. The key must be 16, 24 or 32
// bytes; the IV's first 16 bytes are used and a shorter IV is refused (status -4300).
std::optional<platform::Data> aesCBCEncrypt(std::string_view text, const platform::Data& key,
                                            const platform::Data& iv);
// AES-ECB with PKCS#7 padding.
std::optional<platform::Data> aesECBEncrypt(std::string_view text, const platform::Data& key);

// Decryption of what the members above produce. No instances.
class AESCrypt {
public:
    AESCrypt() = delete;
    // Opens a combined GCM box; absent for a malformed box, a wrong key, altered bytes or non-UTF-8.
    static std::optional<std::string> decrypt(const platform::Data& combined, const platform::SymmetricKey& key);
    // `data` is the 16-byte IV followed by the ciphertext.
    static std::optional<std::string> cbcDecrypt(const platform::Data& data, const platform::Data& key);
    static std::optional<std::string> ecbDecrypt(const platform::Data& data, const platform::Data& key);
};

