#include "platform/foundation/CryptoKit.h"

#include <openssl/crypto.h>
#include <openssl/rand.h>

#include <algorithm>
#include <climits>

#include "platform/foundation/detail/OpenSSL.h"

namespace platform {

bool secureRandomBytes(void* bytes, std::size_t size) {
    auto* out = static_cast<unsigned char*>(bytes);
    while (size > 0) {
        int piece = size > INT_MAX ? INT_MAX : static_cast<int>(size);
        if (RAND_bytes(out, piece) != 1) return false;
        out += piece;
        size -= static_cast<std::size_t>(piece);
    }
    return true;
}

SymmetricKey::SymmetricKey(Size size) : bytes_(static_cast<std::size_t>(size) / 8) {
    if (!secureRandomBytes(bytes_.data(), bytes_.size())) bytes_.clear();  // an unusable key, refused by ciphers
}

SymmetricKey::SymmetricKey(const Data& data) : bytes_(data.bytes()) {}

SymmetricKey::SymmetricKey(const void* bytes, std::size_t size)
    : bytes_(static_cast<const std::uint8_t*>(bytes), static_cast<const std::uint8_t*>(bytes) + size) {}

SymmetricKey& SymmetricKey::operator=(const SymmetricKey& other) {
    if (this != &other) {
        OPENSSL_cleanse(bytes_.data(), bytes_.size());
        bytes_ = other.bytes_;
    }
    return *this;
}

SymmetricKey::~SymmetricKey() { OPENSSL_cleanse(bytes_.data(), bytes_.size()); }

SHA256::Digest SHA256::hash(const void* bytes, std::size_t size) {
    static const unsigned char empty = 0;
    Digest digest{};
    EVP_Digest(size ? bytes : &empty, size, digest.data(), nullptr, detail::sha256Algorithm(), nullptr);
    return digest;
}

InsecureMD5::Digest InsecureMD5::hash(const void* bytes, std::size_t size) {
    static const unsigned char empty = 0;
    Digest digest{};
    EVP_Digest(size ? bytes : &empty, size, digest.data(), nullptr, detail::md5Algorithm(), nullptr);
    return digest;
}

std::optional<AESGCM::SealedBox> AESGCM::SealedBox::fromCombined(Data combined) {
    if (combined.size() < kNonceSize + kTagSize) return std::nullopt;
    return SealedBox(std::move(combined));
}

std::optional<AESGCM::SealedBox> AESGCM::seal(const void* bytes, std::size_t size, const SymmetricKey& key) {
    const EVP_CIPHER* cipher = detail::aesCipher(detail::AESMode::GCM, key.bytes().size());
    if (!cipher || (size > 0 && !bytes)) return std::nullopt;
    if (size > SIZE_MAX - kNonceSize - kTagSize) return std::nullopt;
    EVP_CIPHER_CTX* context = detail::threadCipherContext();
    if (!context) return std::nullopt;

    std::vector<std::uint8_t> combined(kNonceSize + size + kTagSize);
    unsigned char* nonce = combined.data();
    unsigned char* body = nonce + kNonceSize;
    unsigned char* tag = body + size;
    if (!secureRandomBytes(nonce, kNonceSize)) return std::nullopt;
    if (!EVP_EncryptInit_ex2(context, cipher, key.bytes().data(), nonce, nullptr)) return std::nullopt;
    if (!detail::cipherUpdate(context, true, static_cast<const unsigned char*>(bytes), size, body)) return std::nullopt;
    int finalLength = 0;
    if (!EVP_EncryptFinal_ex(context, tag, &finalLength)) return std::nullopt;
    if (!EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagSize), tag)) return std::nullopt;
    return SealedBox(Data(std::move(combined)));
}

std::optional<Data> AESGCM::open(const SealedBox& box, const SymmetricKey& key) {
    const EVP_CIPHER* cipher = detail::aesCipher(detail::AESMode::GCM, key.bytes().size());
    if (!cipher) return std::nullopt;
    EVP_CIPHER_CTX* context = detail::threadCipherContext();
    if (!context) return std::nullopt;

    const Data& combined = box.combined();
    const unsigned char* nonce = combined.data();
    const unsigned char* body = nonce + kNonceSize;
    const std::size_t size = combined.size() - kNonceSize - kTagSize;
    unsigned char tag[kTagSize];
    std::copy(body + size, body + size + kTagSize, tag);

    std::vector<std::uint8_t> plain(size);
    bool ok = EVP_DecryptInit_ex2(context, cipher, key.bytes().data(), nonce, nullptr) &&
              detail::cipherUpdate(context, false, body, size, plain.data()) &&
              EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagSize), tag);
    int finalLength = 0;
    ok = ok && EVP_DecryptFinal_ex(context, plain.data() + size, &finalLength) > 0;
    if (!ok) {
        OPENSSL_cleanse(plain.data(), plain.size());
        return std::nullopt;
    }
    return Data(std::move(plain));
}

}  // namespace platform
