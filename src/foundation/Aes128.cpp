#include "foundation/Aes128.h"

#include <string.h>

#include <memory>

#include <openssl/evp.h>
#include <openssl/rand.h>

#include "foundation/Base64.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

void WarnShortKey(size_t length) {
  GATE_LOG(1, "ERROR - The cipher key has %zu bytes, fewer than 16; the rest is filled with zero bytes.\r\n",
           length);
}

// Copies up to 16 bytes of `bytes` into `out`, zero-filling the rest; warns
// when there were fewer than 16.
void TakeKeyBytes(const uint8_t* bytes, size_t count, uint8_t out[CAesCipher::kKeySize]) {
  memset(out, 0, CAesCipher::kKeySize);
  if (count < CAesCipher::kKeySize) WarnShortKey(count);
  memcpy(out, bytes, count < CAesCipher::kKeySize ? count : CAesCipher::kKeySize);
}

// AES-128-CBC with PKCS#7 padding of `count` bytes. Returns the cipher bytes
// (a whole number of blocks, at least one), or "" when libcrypto fails.
std::string EncryptCbc(const uint8_t key[16], const uint8_t iv[16], const uint8_t* plain, size_t count) {
  std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)> ctx(EVP_CIPHER_CTX_new(),
                                                                      &EVP_CIPHER_CTX_free);
  if (!ctx || EVP_EncryptInit_ex(ctx.get(), EVP_aes_128_cbc(), nullptr, key, iv) != 1) return "";
  std::string out(count + CAesCipher::kBlockSize, '\0');
  uint8_t* dst = reinterpret_cast<uint8_t*>(out.data());
  int written = 0;
  size_t total = 0;
  // EVP takes int lengths: feed large texts in pieces.
  constexpr size_t kPiece = 1 << 30;
  for (size_t done = 0; done < count; done += kPiece) {
    size_t piece = count - done < kPiece ? count - done : kPiece;
    if (EVP_EncryptUpdate(ctx.get(), dst + total, &written, plain + done, static_cast<int>(piece)) != 1) {
      return "";
    }
    total += static_cast<size_t>(written);
  }
  if (EVP_EncryptFinal_ex(ctx.get(), dst + total, &written) != 1) return "";
  total += static_cast<size_t>(written);
  out.resize(total);
  return out;
}

}  // namespace

CAesCipher::CAesCipher() {
  if (RAND_bytes(iv_, sizeof(iv_)) != 1) memset(iv_, 0, sizeof(iv_));
}

void CAesCipher::SetIV(const std::vector<uint8_t>& iv) { TakeKeyBytes(iv.data(), iv.size(), iv_); }

std::string CAesCipher::EncryptToHex(std::string_view plain_hex, std::string_view key_hex) {
  std::vector<uint8_t> plain = HexToVector(plain_hex);
  std::vector<uint8_t> key_bytes = HexToVector(key_hex);
  uint8_t key[kKeySize];
  TakeKeyBytes(key_bytes.data(), key_bytes.size(), key);
  std::string cipher = EncryptCbc(key, iv_, plain.data(), plain.size());
  return BytesToHex(cipher);
}

std::vector<uint8_t> CAesCipher::StringToBytes(std::string_view text) {
  return std::vector<uint8_t>(text.begin(), text.end());
}

std::string CAesCipher::BytesToHex(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex(bytes.size() * 2, '0');
  for (size_t i = 0; i < bytes.size(); ++i) {
    uint8_t b = static_cast<uint8_t>(bytes[i]);
    hex[2 * i] = kDigits[b >> 4];
    hex[2 * i + 1] = kDigits[b & 0x0F];
  }
  return hex;
}

bool CAesCipher::HexToBytes(std::string_view hex, uint8_t* buffer, size_t capacity) {
  if (hex.size() % 2 != 0 || hex.size() / 2 > capacity) return false;
  for (size_t i = 0; i < hex.size() / 2; ++i) {
    int high = HexDigitValue(hex[2 * i]);
    int low = HexDigitValue(hex[2 * i + 1]);
    buffer[i] = static_cast<uint8_t>(((high < 0 ? 0 : high) << 4) | (low < 0 ? 0 : low));
  }
  return true;
}

std::vector<uint8_t> CAesCipher::HexToVector(std::string_view hex) {
  std::vector<uint8_t> bytes;
  bytes.reserve(hex.size() / 2);
  for (char c : hex) {
    if (HexDigitValue(c) < 0) return {};
  }
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<uint8_t>(HexDigitValue(hex[i]) << 4 | HexDigitValue(hex[i + 1])));
  }
  return bytes;
}

std::string AesEncryptBody(std::string_view key, std::string_view plain) {
  uint8_t key_bytes[CAesCipher::kKeySize];
  TakeKeyBytes(reinterpret_cast<const uint8_t*>(key.data()), key.size(), key_bytes);
  std::string cipher =
      EncryptCbc(key_bytes, key_bytes, reinterpret_cast<const uint8_t*>(plain.data()), plain.size());
  return Base64EncodeToString(cipher.data(), cipher.size());
}
