// Text utilities on the paths users feel, each beside the bare library doing the same work:
// hashing and AES on 1 MiB beside OpenSSL's EVP interface, date formatting beside one ICU formatter
// kept ready, and the identity-number and bank-card validators in calls per second (items/s).

#include <benchmark/benchmark.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <string>
#include <vector>

#include <unicode/smpdtfmt.h>
#include <unicode/timezone.h>

#include "XQKit/Crypto.h"
#include "XQKit/DateExtensions.h"
#include "XQKit/StringExtensions.h"

namespace {

const std::string& megabyteText() {
    static const std::string text = [] {
        std::string t;
        const std::string line = "Torvane previews archives: zip, 7z, rar, tar.gz. 预览 ✓\n";
        while (t.size() < (1u << 20)) t += line;
        t.resize(1u << 20);
        while (!t.empty() && (static_cast<unsigned char>(t.back()) & 0xC0) == 0x80) t.pop_back();
        if (!t.empty() && static_cast<unsigned char>(t.back()) >= 0xC0) t.pop_back();
        return t;
    }();
    return text;
}

std::string hexOf(const unsigned char* bytes, unsigned size) {
    static const char* digits = "0123456789abcdef";
    std::string out(2 * size, '\0');
    for (unsigned i = 0; i < size; ++i) {
        out[2 * i] = digits[bytes[i] >> 4];
        out[2 * i + 1] = digits[bytes[i] & 0xF];
    }
    return out;
}

void digestBaseline(benchmark::State& state, const char* name) {
    const std::string& text = megabyteText();
    EVP_MD* md = EVP_MD_fetch(nullptr, name, nullptr);
    for (auto _ : state) {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned size = 0;
        EVP_Digest(text.data(), text.size(), digest, &size, md, nullptr);
        benchmark::DoNotOptimize(hexOf(digest, size));
    }
    EVP_MD_free(md);
    state.SetBytesProcessed(state.iterations() * text.size());
}

void BM_md5Lower(benchmark::State& state) {
    const std::string& text = megabyteText();
    for (auto _ : state) benchmark::DoNotOptimize(md5Lower(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
void BM_md5_EVPBaseline(benchmark::State& state) { digestBaseline(state, "MD5"); }

void BM_sha256(benchmark::State& state) {
    const std::string& text = megabyteText();
    for (auto _ : state) benchmark::DoNotOptimize(sha256(text));
    state.SetBytesProcessed(state.iterations() * text.size());
}
void BM_sha256_EVPBaseline(benchmark::State& state) { digestBaseline(state, "SHA2-256"); }

const platform::Data kKey(std::vector<std::uint8_t>(32, 0x5A));
const platform::Data kIV(std::vector<std::uint8_t>(16, 0xA5));

void BM_aesCBCEncrypt(benchmark::State& state) {
    const std::string& text = megabyteText();
    for (auto _ : state) benchmark::DoNotOptimize(aesCBCEncrypt(text, kKey, kIV));
    state.SetBytesProcessed(state.iterations() * text.size());
}

void BM_aesCBCEncrypt_EVPBaseline(benchmark::State& state) {
    const std::string& text = megabyteText();
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "AES-256-CBC", nullptr);
    for (auto _ : state) {
        std::vector<unsigned char> out(text.size() + 16);
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        int written = 0, last = 0;
        EVP_EncryptInit_ex2(context, cipher, kKey.data(), kIV.data(), nullptr);
        EVP_EncryptUpdate(context, out.data(), &written, reinterpret_cast<const unsigned char*>(text.data()),
                          static_cast<int>(text.size()));
        EVP_EncryptFinal_ex(context, out.data() + written, &last);
        EVP_CIPHER_CTX_free(context);
        out.resize(written + last);
        benchmark::DoNotOptimize(out);
    }
    EVP_CIPHER_free(cipher);
    state.SetBytesProcessed(state.iterations() * text.size());
}

void BM_aesEncrypt(benchmark::State& state) {
    const std::string& text = megabyteText();
    platform::SymmetricKey key(kKey);
    for (auto _ : state) benchmark::DoNotOptimize(aesEncrypt(text, key));
    state.SetBytesProcessed(state.iterations() * text.size());
}

void BM_aesEncrypt_EVPBaseline(benchmark::State& state) {
    const std::string& text = megabyteText();
    EVP_CIPHER* cipher = EVP_CIPHER_fetch(nullptr, "AES-256-GCM", nullptr);
    for (auto _ : state) {
        std::vector<unsigned char> out(12 + text.size() + 16);
        RAND_bytes(out.data(), 12);
        EVP_CIPHER_CTX* context = EVP_CIPHER_CTX_new();
        int written = 0, last = 0;
        EVP_EncryptInit_ex2(context, cipher, kKey.data(), out.data(), nullptr);
        EVP_EncryptUpdate(context, out.data() + 12, &written, reinterpret_cast<const unsigned char*>(text.data()),
                          static_cast<int>(text.size()));
        EVP_EncryptFinal_ex(context, out.data() + 12 + written, &last);
        EVP_CIPHER_CTX_ctrl(context, EVP_CTRL_GCM_GET_TAG, 16, out.data() + 12 + text.size());
        EVP_CIPHER_CTX_free(context);
        benchmark::DoNotOptimize(out);
    }
    EVP_CIPHER_free(cipher);
    state.SetBytesProcessed(state.iterations() * text.size());
}

// A date formatted with a pattern: the library makes a formatter per call (its ICU formatter comes
// from a per-thread cache); the baseline keeps one ICU formatter ready.
constexpr double kInstant = 1709251200.5;

void BM_stringFormat(benchmark::State& state) {
    setenv("TZ", "Asia/Shanghai", 1);
    platform::Date date = platform::Date::fromUnixTime(kInstant);
    for (auto _ : state) benchmark::DoNotOptimize(string(date, "yyyy-MM-dd HH:mm:ss"));
}

void BM_stringFormat_ReadyICUBaseline(benchmark::State& state) {
    UErrorCode status = U_ZERO_ERROR;
    icu::SimpleDateFormat formatter(icu::UnicodeString("yyyy-MM-dd HH:mm:ss"), icu::Locale("en_US_POSIX"), status);
    std::unique_ptr<icu::TimeZone> zone(icu::TimeZone::createTimeZone("Asia/Shanghai"));
    formatter.setTimeZone(*zone);
    for (auto _ : state) {
        icu::UnicodeString text;
        formatter.format(kInstant * 1000.0, text);
        std::string out;
        text.toUTF8String(out);
        benchmark::DoNotOptimize(out);
    }
}

// The validators on typical input, in calls per second (items per second below).
void BM_isIDCard(benchmark::State& state) {
    const char* numbers[] = {"11010519491231002X", "440524188001010014", "110105202402290011", "110105194912310021"};
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(isIDCard(numbers[i++ & 3]));
    state.SetItemsProcessed(state.iterations());
}

void BM_isBankCardNumber(benchmark::State& state) {
    const char* numbers[] = {"6222021234567890128", "4111111111111111", "6222 0212 3456 7890 128", "5500005555555559"};
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(isBankCardNumber(numbers[i++ & 3]));
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_md5Lower);
BENCHMARK(BM_md5_EVPBaseline);
BENCHMARK(BM_sha256);
BENCHMARK(BM_sha256_EVPBaseline);
BENCHMARK(BM_aesCBCEncrypt);
BENCHMARK(BM_aesCBCEncrypt_EVPBaseline);
BENCHMARK(BM_aesEncrypt);
BENCHMARK(BM_aesEncrypt_EVPBaseline);

BENCHMARK(BM_stringFormat);
BENCHMARK(BM_stringFormat_ReadyICUBaseline);

BENCHMARK(BM_isIDCard);
BENCHMARK(BM_isBankCardNumber);

BENCHMARK_MAIN();
