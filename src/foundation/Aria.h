// ARIA (RFC 5794) block cipher and the string cipher of stored passwords:
// Base64 of ARIA-192-ECB under the built-in key, zero-filled to whole blocks.
// OpenSSL's libcrypto does the key schedule and the block function.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

struct evp_cipher_ctx_st;

// One ARIA key schedule, for enciphering or deciphering 16-byte blocks (ECB).
// An object belongs to one thread.
class Aria {
 public:
  static constexpr size_t kBlockSize = 16;

  Aria();
  virtual ~Aria();
  Aria(const Aria&) = delete;
  Aria& operator=(const Aria&) = delete;

  // Builds the enciphering schedule from a key of `key_bits` bits (128, 192
  // or 256). Returns the number of rounds (12, 14 or 16), or 0 for any other
  // size or when libcrypto fails.
  int SetEncryptKey(const uint8_t* key, int key_bits);
  // The same for deciphering.
  int SetDecryptKey(const uint8_t* key, int key_bits);
  // Runs `count` bytes (a whole number of blocks) through the schedule, each
  // block on its own. False when no schedule is set or `count` is not a
  // multiple of 16.
  bool Crypt(const uint8_t* in, size_t count, uint8_t* out);
  // Rounds of the current schedule; 0 when none is set.
  int GetRounds() const { return rounds_; }

 private:
  int SetKey(const uint8_t* key, int key_bits, bool encrypt);

  evp_cipher_ctx_st* ctx_ = nullptr;
  int rounds_ = 0;
};

// The built-in 24-byte key of the string cipher.
extern const char kAriaStringKey[];

// Base64 of the text enciphered under `key`: the text is zero-filled to the
// next multiple of 16 above its length (a whole extra block when it is one
// already) and enciphered block by block. The built-in key (24 bytes) selects
// the 192-bit schedule; any other key the 256-bit schedule over the key
// zero-filled (or cut) to 32 bytes.
std::string AriaEncrypt(std::string_view text, const uint8_t* key, size_t key_length);
// The inverse: the deciphered bytes up to the first zero byte. "" when the
// text is no Base64, decodes to nothing, or to no whole number of blocks.
std::string AriaDecrypt(std::string_view base64, const uint8_t* key, size_t key_length);

// The stored form of a password (AriaEncrypt under the built-in key); never "".
std::string AriaEncryptString(std::string_view text);
// The password of a stored form; "" for "" and for any text that is not one.
std::string AriaDecryptString(std::string_view base64);
