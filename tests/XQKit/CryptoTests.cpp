#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "XQKit/Crypto.h"
#include "platform/foundation/ProcessInfo.h"

using platform::Data;
using platform::SymmetricKey;

namespace {

Data bytes(std::size_t size, std::uint8_t value = 0x42) { return Data(std::vector<std::uint8_t>(size, value)); }

Data concat(const Data& a, const Data& b) {
    auto all = a.bytes();
    all.insert(all.end(), b.bytes().begin(), b.bytes().end());
    return Data(all);
}

template <class F>
std::string stdoutOf(F&& f) {
    testing::internal::CaptureStdout();
    f();
    return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(Digests, StandardValuesInBothCases) {
    struct Case {
        std::string text, md5, sha256;
    };
    for (const Case& c : {
             Case{"", "d41d8cd98f00b204e9800998ecf8427e",
                  "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
             Case{"abc", "900150983cd24fb0d6963f7d28e17f72",
                  "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
             Case{"中文", "a7bac2239fcdcb3a067903d8077c4a07",
                  "72726d8818f693066ceb69afa364218b692e62ea92b385782363780f47529c21"},
         }) {
        EXPECT_EQ(md5Lower(c.text), c.md5);
        std::string upper = c.md5;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(md5Upper(c.text), upper);
        EXPECT_EQ(sha256(c.text), c.sha256);
    }
}

TEST(Digests, SHA256IsEmptyBeforeCatalina) {
    auto& info = platform::ProcessInfo::processInfo();
    info.setOperatingSystemVersion(platform::OperatingSystemVersion{10, 14, 6});
    EXPECT_EQ(sha256("abc"), "");
    EXPECT_EQ(md5Lower("abc"), "900150983cd24fb0d6963f7d28e17f72");
    info.setOperatingSystemVersion(platform::OperatingSystemVersion{10, 15, 0});
    EXPECT_EQ(sha256("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    info.setOperatingSystemVersion(std::nullopt);
}

TEST(Digests, BytesThatAreNotUTF8AreHashedAsGiven) {
    EXPECT_EQ(md5Lower("\xff\xfe").size(), 32u);
    EXPECT_NE(md5Lower("\xff\xfe"), md5Lower("\xef\xbf\xbd\xef\xbf\xbd"));
}

TEST(Base64Text, RoundTripsAndRefusesWhatIsNotBase64) {
    for (const char* text : {"", "a", "ab", "abc", "Torvane 预览 🎉", "line\nbreak"})
        EXPECT_EQ(base64Decode(base64Encode(text)), text);
    EXPECT_EQ(base64Encode("中文"), "5Lit5paH");
    EXPECT_EQ(base64Encode(std::string(100, 'x')).find('\n'), std::string::npos);
    for (const char* bad : {"YWJj!", "YW Jj", "YWJ", "****", "5Lit5paH\n"}) EXPECT_EQ(base64Decode(bad), "") << bad;
    // Valid Base64 of bytes that are not UTF-8.
    EXPECT_EQ(base64Decode("/w=="), "");
}

TEST(AESGCM, SealsWithFreshNoncesAndOpens) {
    SymmetricKey key(SymmetricKey::Size::bits256);
    auto a = aesEncrypt("secret text", key);
    auto b = aesEncrypt("secret text", key);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->size(), 12u + 11u + 16u);
    EXPECT_NE(*a, *b);
    EXPECT_EQ(AESCrypt::decrypt(*a, key), "secret text");
    EXPECT_EQ(AESCrypt::decrypt(*b, key), "secret text");
    EXPECT_EQ(AESCrypt::decrypt(*aesEncrypt("", key), key), "");
}

TEST(AESGCM, EveryTamperedByteAndWrongKeyIsAbsent) {
    SymmetricKey key(SymmetricKey::Size::bits128);
    auto sealed = *aesEncrypt("tamper me", key);
    for (std::size_t i = 0; i < sealed.size(); ++i) {
        Data altered = sealed;
        altered.mutableBytes()[i] ^= 0x01;
        EXPECT_FALSE(AESCrypt::decrypt(altered, key)) << "byte " << i;
    }
    EXPECT_FALSE(AESCrypt::decrypt(sealed, SymmetricKey(SymmetricKey::Size::bits128)));
    EXPECT_FALSE(AESCrypt::decrypt(sealed, SymmetricKey(bytes(16))));
    EXPECT_FALSE(AESCrypt::decrypt(sealed, SymmetricKey(bytes(7))));
    for (std::size_t size : {0, 1, 12, 27}) EXPECT_FALSE(AESCrypt::decrypt(bytes(size), key)) << size;
    EXPECT_FALSE(aesEncrypt("x", SymmetricKey(bytes(20))));
    EXPECT_FALSE(aesEncrypt("x", SymmetricKey(Data())));
}

TEST(AESGCM, PlaintextThatIsNotUTF8IsAbsent) {
    SymmetricKey key(SymmetricKey::Size::bits256);
    auto sealed = aesEncrypt("\xc3\x28", key);
    ASSERT_TRUE(sealed);
    EXPECT_FALSE(AESCrypt::decrypt(*sealed, key));
}

TEST(AESCBC, RoundTripNeedsTheIVInFront) {
    for (std::size_t keySize : {16, 24, 32}) {
        Data key = bytes(keySize, 0x11), iv = bytes(16, 0x22);
        std::string text = "The quick brown fox jumps over the lazy dog";
        auto cipher = aesCBCEncrypt(text, key, iv);
        ASSERT_TRUE(cipher);
        EXPECT_EQ(cipher->size(), 48u);
        EXPECT_EQ(AESCrypt::cbcDecrypt(concat(iv, *cipher), key), text);
        // Without the IV the first ciphertext block is taken for one, and its plaintext is lost.
        auto lossy = AESCrypt::cbcDecrypt(*cipher, key);
        if (lossy) {
            EXPECT_NE(*lossy, text);
        }
    }
}

TEST(AESCBC, AWholeBlockOfTextGetsAWholeBlockOfPadding) {
    auto cipher = aesCBCEncrypt("0123456789abcdef", bytes(16), bytes(16));
    ASSERT_TRUE(cipher);
    EXPECT_EQ(cipher->size(), 32u);
    EXPECT_EQ(aesCBCEncrypt("", bytes(16), bytes(16))->size(), 16u);
}

TEST(AESCBC, WrongKeyAndIVSizesAreRefusedWithTheirLines) {
    for (std::size_t size : {0, 1, 15, 17, 23, 25, 31, 33, 64}) {
        std::optional<Data> result;
        EXPECT_EQ(stdoutOf([&] { result = aesCBCEncrypt("text", bytes(size), bytes(16)); }),
                  "aesCBCEncrypt invalid aes key size\n")
            << size;
        EXPECT_FALSE(result);
    }
    for (std::size_t size : {0, 1, 8, 15}) {
        std::optional<Data> result;
        EXPECT_EQ(stdoutOf([&] { result = aesCBCEncrypt("text", bytes(16), bytes(size)); }),
                  "AES encryption failed with status : -4300\n")
            << size;
        EXPECT_FALSE(result);
    }
    // A longer IV: its first 16 bytes are the IV.
    auto longIV = concat(bytes(16, 0x22), bytes(8, 0x99));
    EXPECT_EQ(aesCBCEncrypt("text", bytes(16), longIV), aesCBCEncrypt("text", bytes(16), bytes(16, 0x22)));
}

TEST(AESCBC, DecryptionRefusesBadInput) {
    std::optional<std::string> result;
    EXPECT_EQ(stdoutOf([&] { result = AESCrypt::cbcDecrypt(bytes(15), bytes(16)); }),
              "AESCrypt cbcDecrypt invalid params\n");
    EXPECT_FALSE(result);
    EXPECT_EQ(stdoutOf([&] { result = AESCrypt::cbcDecrypt(bytes(32), bytes(10)); }),
              "AESCrypt cbcDecrypt invalid params\n");
    EXPECT_FALSE(result);
    // Ciphertext that is not a whole number of blocks, none at all, and one whose padding is wrong.
    EXPECT_EQ(stdoutOf([&] { result = AESCrypt::cbcDecrypt(bytes(16 + 5), bytes(16)); }),
              "AESCrypt cbcDecrypt failed : -4303\n");
    EXPECT_FALSE(result);
    EXPECT_EQ(stdoutOf([&] { result = AESCrypt::cbcDecrypt(bytes(16), bytes(16)); }),
              "AESCrypt cbcDecrypt failed : -4304\n");
    EXPECT_FALSE(result);
    Data key = bytes(16, 3), iv = bytes(16, 4);
    auto cipher = *aesCBCEncrypt("padding", key, iv);
    EXPECT_EQ(stdoutOf([&] { result = AESCrypt::cbcDecrypt(concat(iv, cipher), bytes(16, 5)); }),
              "AESCrypt cbcDecrypt failed : -4304\n");
    EXPECT_FALSE(result);
}

TEST(AESECB, RoundTripAndRefusals) {
    Data key = bytes(32, 9);
    auto cipher = aesECBEncrypt("electronic code book", key);
    ASSERT_TRUE(cipher);
    EXPECT_EQ(cipher->size(), 32u);
    EXPECT_EQ(AESCrypt::ecbDecrypt(*cipher, key), "electronic code book");

    std::optional<Data> encrypted;
    EXPECT_EQ(stdoutOf([&] { encrypted = aesECBEncrypt("x", bytes(5)); }), "");
    EXPECT_FALSE(encrypted);

    std::optional<std::string> result;
    EXPECT_EQ(stdoutOf([&] { result = AESCrypt::ecbDecrypt(*cipher, bytes(12)); }),
              "AESCrypt ecbDecrypt invalid params\n");
    EXPECT_FALSE(result);
    for (std::size_t size : {0, 1, 15, 17, 33}) {
        EXPECT_NE(stdoutOf([&] { result = AESCrypt::ecbDecrypt(bytes(size), key); }).find("AESCrypt ecbDecrypt failed : -430"),
                  std::string::npos)
            << size;
        EXPECT_FALSE(result);
    }
}

TEST(AESECB, DecryptedBytesThatAreNotUTF8AreAbsent) {
    Data key = bytes(16, 1);
    auto cipher = aesECBEncrypt("\xff", key);
    ASSERT_TRUE(cipher);
    EXPECT_FALSE(AESCrypt::ecbDecrypt(*cipher, key));
}
