#include "foundation/Aria.h"

#include <string.h>

#include <openssl/evp.h>

#include "foundation/Base64.h"

const char kAriaStringKey[] = "4tkmazqrbonvefy*wicuhpe*";

namespace {

constexpr size_t kStringKeyLength = sizeof(kAriaStringKey) - 1;  // 24
constexpr size_t kKeyBufferSize = 32;

// Fills the zero-filled 32-byte key buffer and returns the schedule size.
int PrepareKey(const uint8_t* key, size_t key_length, uint8_t buffer[kKeyBufferSize]) {
  memset(buffer, 0, kKeyBufferSize);
  memcpy(buffer, key, key_length < kKeyBufferSize ? key_length : kKeyBufferSize);
  bool builtin = key_length == kStringKeyLength && memcmp(key, kAriaStringKey, kStringKeyLength) == 0;
  return builtin ? 192 : 256;
}

}  // namespace

Aria::Aria() : ctx_(EVP_CIPHER_CTX_new()) {}

Aria::~Aria() {
  EVP_CIPHER_CTX_free(ctx_);
  rounds_ = 0;
}

int Aria::SetEncryptKey(const uint8_t* key, int key_bits) { return SetKey(key, key_bits, true); }

int Aria::SetDecryptKey(const uint8_t* key, int key_bits) { return SetKey(key, key_bits, false); }

int Aria::SetKey(const uint8_t* key, int key_bits, bool encrypt) {
  rounds_ = 0;
  const EVP_CIPHER* cipher = nullptr;
  int rounds = 0;
  switch (key_bits) {
    case 128: cipher = EVP_aria_128_ecb(); rounds = 12; break;
    case 192: cipher = EVP_aria_192_ecb(); rounds = 14; break;
    case 256: cipher = EVP_aria_256_ecb(); rounds = 16; break;
    default: return 0;
  }
  if (!ctx_ || !cipher) return 0;
  if (EVP_CipherInit_ex(ctx_, cipher, nullptr, key, nullptr, encrypt ? 1 : 0) != 1) return 0;
  EVP_CIPHER_CTX_set_padding(ctx_, 0);
  rounds_ = rounds;
  return rounds_;
}

bool Aria::Crypt(const uint8_t* in, size_t count, uint8_t* out) {
  if (rounds_ == 0 || count % kBlockSize != 0) return false;
  constexpr size_t kPiece = size_t{1} << 30;  // EVP takes int lengths
  for (size_t done = 0; done < count; done += kPiece) {
    size_t piece = count - done < kPiece ? count - done : kPiece;
    int written = 0;
    if (EVP_CipherUpdate(ctx_, out + done, &written, in + done, static_cast<int>(piece)) != 1 ||
        static_cast<size_t>(written) != piece) {
      return false;
    }
  }
  return true;
}

std::string AriaEncrypt(std::string_view text, const uint8_t* key, size_t key_length) {
  uint8_t key_buffer[kKeyBufferSize];
  int bits = PrepareKey(key, key_length, key_buffer);
  size_t padded = text.size() - text.size() % Aria::kBlockSize + Aria::kBlockSize;
  std::string buffer(padded, '\0');
  memcpy(buffer.data(), text.data(), text.size());
  Aria aria;
  uint8_t* bytes = reinterpret_cast<uint8_t*>(buffer.data());
  if (aria.SetEncryptKey(key_buffer, bits) == 0 || !aria.Crypt(bytes, padded, bytes)) return "";
  return Base64EncodeToString(buffer.data(), buffer.size());
}

std::string AriaDecrypt(std::string_view base64, const uint8_t* key, size_t key_length) {
  std::string buffer;
  long count = Base64Decode(base64, &buffer);
  if (count <= 0 || count % static_cast<long>(Aria::kBlockSize) != 0) return "";
  uint8_t key_buffer[kKeyBufferSize];
  int bits = PrepareKey(key, key_length, key_buffer);
  Aria aria;
  uint8_t* bytes = reinterpret_cast<uint8_t*>(buffer.data());
  if (aria.SetDecryptKey(key_buffer, bits) == 0 || !aria.Crypt(bytes, buffer.size(), bytes)) return "";
  size_t zero = buffer.find('\0');
  if (zero != std::string::npos) buffer.resize(zero);
  return buffer;
}

std::string AriaEncryptString(std::string_view text) {
  return AriaEncrypt(text, reinterpret_cast<const uint8_t*>(kAriaStringKey), kStringKeyLength);
}

std::string AriaDecryptString(std::string_view base64) {
  if (base64.empty()) return "";
  return AriaDecrypt(base64, reinterpret_cast<const uint8_t*>(kAriaStringKey), kStringKeyLength);
}
