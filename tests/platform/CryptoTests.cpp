#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/foundation/Base64.h"
#include "platform/foundation/CommonCrypto.h"
#include "platform/foundation/CryptoKit.h"

using platform::CommonCrypto;
using platform::Data;

namespace {

std::vector<std::uint8_t> fromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes.push_back(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
}

const auto kKey128 = fromHex("2b7e151628aed2a6abf7158809cf4f3c");
const auto kIV = fromHex("000102030405060708090a0b0c0d0e0f");
const auto kBlock = fromHex("6bc1bee22e409f96e93d7e117393172a");

struct Crypted {
    CommonCrypto::Status status;
    std::size_t moved;
    std::vector<std::uint8_t> out;
};

Crypted run(CommonCrypto::Operation op, CommonCrypto::Options options, const std::vector<std::uint8_t>& key,
            const void* iv, const std::vector<std::uint8_t>& in, std::size_t outSize) {
    Crypted c{0, 99, std::vector<std::uint8_t>(outSize, 0xEE)};
    c.status = CommonCrypto::crypt(op, CommonCrypto::kAlgorithmAES, options, key.data(), key.size(), iv, in.data(),
                                   in.size(), c.out.data(), c.out.size(), &c.moved);
    return c;
}

}  // namespace

TEST(CommonCrypto, CBCMatchesTheStandardVectorAndPadsAWholeBlock) {
    auto c = run(CommonCrypto::kEncrypt, CommonCrypto::kOptionPKCS7Padding, kKey128, kIV.data(), kBlock, 32);
    ASSERT_EQ(c.status, CommonCrypto::kSuccess);
    ASSERT_EQ(c.moved, 32u);
    EXPECT_EQ(std::vector<std::uint8_t>(c.out.begin(), c.out.begin() + 16), fromHex("7649abac8119b246cee98e9b12e9197d"));

    auto back = run(CommonCrypto::kDecrypt, CommonCrypto::kOptionPKCS7Padding, kKey128, kIV.data(), c.out, 32);
    ASSERT_EQ(back.status, CommonCrypto::kSuccess);
    ASSERT_EQ(back.moved, 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(back.out.begin(), back.out.begin() + 16), kBlock);
}

TEST(CommonCrypto, ECBMatchesTheStandardVector) {
    auto c = run(CommonCrypto::kEncrypt, CommonCrypto::kOptionECBMode, kKey128, nullptr, kBlock, 16);
    ASSERT_EQ(c.status, CommonCrypto::kSuccess);
    EXPECT_EQ(c.out, fromHex("3ad77bb40d7a3660a89ecaf32466ef97"));
}

TEST(CommonCrypto, StatusesKeepTheirNumbers) {
    EXPECT_EQ(CommonCrypto::kParamError, -4300);
    EXPECT_EQ(CommonCrypto::kBufferTooSmall, -4301);
    EXPECT_EQ(CommonCrypto::kAlignmentError, -4303);
    EXPECT_EQ(CommonCrypto::kDecodeError, -4304);

    std::vector<std::uint8_t> key15(15, 1), three(3, 'a'), seventeen(17, 'a');
    EXPECT_EQ(run(CommonCrypto::kEncrypt, 1, key15, kIV.data(), three, 64).status, CommonCrypto::kParamError);
    EXPECT_EQ(run(7, 1, kKey128, kIV.data(), three, 64).status, CommonCrypto::kParamError);

    // Too small an output buffer: nothing written past it, and the needed size is reported.
    auto small = run(CommonCrypto::kEncrypt, 1, kKey128, kIV.data(), seventeen, 31);
    EXPECT_EQ(small.status, CommonCrypto::kBufferTooSmall);
    EXPECT_EQ(small.moved, 32u);
    EXPECT_EQ(small.out, std::vector<std::uint8_t>(31, 0xEE));

    // Not a whole number of blocks: without padding, or for decryption.
    EXPECT_EQ(run(CommonCrypto::kEncrypt, 0, kKey128, kIV.data(), three, 64).status, CommonCrypto::kAlignmentError);
    EXPECT_EQ(run(CommonCrypto::kDecrypt, 1, kKey128, kIV.data(), seventeen, 64).status, CommonCrypto::kAlignmentError);
    // Bad padding after decryption, and nothing at all to decrypt.
    EXPECT_EQ(run(CommonCrypto::kDecrypt, 1, kKey128, kIV.data(), kBlock, 64).status, CommonCrypto::kDecodeError);
    EXPECT_EQ(run(CommonCrypto::kDecrypt, 1, kKey128, kIV.data(), {}, 64).status, CommonCrypto::kDecodeError);
}

TEST(CommonCrypto, ANullIVMeansZeros) {
    std::vector<std::uint8_t> zeros(16, 0);
    auto withNull = run(CommonCrypto::kEncrypt, 1, kKey128, nullptr, kBlock, 32);
    auto withZeros = run(CommonCrypto::kEncrypt, 1, kKey128, zeros.data(), kBlock, 32);
    EXPECT_EQ(withNull.status, CommonCrypto::kSuccess);
    EXPECT_EQ(withNull.out, withZeros.out);
}

TEST(CommonCrypto, MD5OfNothing) {
    unsigned char digest[16];
    CommonCrypto::md5(nullptr, 0, digest);
    EXPECT_EQ(std::vector<std::uint8_t>(digest, digest + 16), fromHex("d41d8cd98f00b204e9800998ecf8427e"));
}

TEST(CryptoKit, GCMOpensTheStandardVectorInTheCombinedLayout) {
    // Zero key, zero nonce, one zero block: the published ciphertext and tag.
    auto combined = fromHex("000000000000000000000000" "0388dace60b6a392f328c2b971b2fe78"
                            "ab6e47d42cec13bdf53a67b21257bddf");
    platform::SymmetricKey key(Data(std::vector<std::uint8_t>(16, 0)));
    auto box = platform::AESGCM::SealedBox::fromCombined(Data(combined));
    ASSERT_TRUE(box);
    EXPECT_EQ(box->nonce().size(), 12u);
    EXPECT_EQ(box->tag(), Data(fromHex("ab6e47d42cec13bdf53a67b21257bddf")));
    auto plain = platform::AESGCM::open(*box, key);
    ASSERT_TRUE(plain);
    EXPECT_EQ(*plain, Data(std::vector<std::uint8_t>(16, 0)));
}

TEST(CryptoKit, SealedBoxesNeedANonceAndATagAndKeysOfAUsableSize) {
    EXPECT_FALSE(platform::AESGCM::SealedBox::fromCombined(Data(std::vector<std::uint8_t>(27, 0))));
    EXPECT_TRUE(platform::AESGCM::SealedBox::fromCombined(Data(std::vector<std::uint8_t>(28, 0))));
    for (std::size_t size : {0, 1, 15, 17, 31, 33, 64}) {
        platform::SymmetricKey key(Data(std::vector<std::uint8_t>(size, 7)));
        EXPECT_FALSE(platform::AESGCM::seal("text", key)) << size;
    }
    for (auto size : {platform::SymmetricKey::Size::bits128, platform::SymmetricKey::Size::bits192,
                      platform::SymmetricKey::Size::bits256}) {
        platform::SymmetricKey key(size);
        EXPECT_EQ(key.bitCount(), static_cast<std::size_t>(size));
        auto box = platform::AESGCM::seal("text", key);
        ASSERT_TRUE(box);
        EXPECT_EQ(box->combined().size(), 12u + 4u + 16u);
        EXPECT_EQ(platform::AESGCM::open(*box, key), Data::fromString("text"));
    }
}

TEST(Base64, EncodesAndDecodesStrictly) {
    struct Case {
        std::string text, encoded;
    };
    for (const Case& c : {Case{"", ""}, Case{"a", "YQ=="}, Case{"ab", "YWI="}, Case{"abc", "YWJj"},
                          Case{std::string("\0\xff", 2), "AP8="}}) {
        EXPECT_EQ(platform::base64EncodedString(Data::fromString(c.text)), c.encoded);
        auto decoded = platform::dataFromBase64(c.encoded);
        ASSERT_TRUE(decoded) << c.encoded;
        EXPECT_EQ(decoded->toString(), c.text);
    }
    for (const char* bad : {"YQ", "YQ=", "Y===", "====", "YW J", "YWJj\n", "YQ==YQ==", "YW-j", "YW_j", "é123"})
        EXPECT_FALSE(platform::dataFromBase64(bad)) << bad;
}
