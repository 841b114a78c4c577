// CAesCipher: AES-128 in CBC mode with PKCS#7 padding, for the bodies that the
// services post while encipherment is on. The interface works on hexadecimal
// texts (upper-case out); AesEncryptBody is the whole road a sender takes.
// OpenSSL's libcrypto does the block cipher. An object belongs to one thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>
#include <vector>

class CAesCipher {
 public:
  static constexpr size_t kBlockSize = 16;
  static constexpr size_t kKeySize = 16;

  // The IV starts as 16 random bytes.
  CAesCipher();
  CAesCipher(const CAesCipher&) = delete;
  CAesCipher& operator=(const CAesCipher&) = delete;

  // Copies the first 16 bytes of `iv` into the IV. A shorter vector is
  // zero-filled to 16 bytes (and logged).
  void SetIV(const std::vector<uint8_t>& iv);

  // Enciphers the plaintext given as hexadecimal digits under the key given as
  // hexadecimal digits (only its first 16 bytes count; a shorter key is
  // zero-filled to 16 bytes and logged), chaining from the IV, with PKCS#7
  // padding (always at least one pad byte). Returns upper-case hexadecimal,
  // 32 digits per block. Plaintext digits that HexToVector rejects count as an
  // empty plaintext.
  std::string EncryptToHex(std::string_view plain_hex, std::string_view key_hex);

  // The text's bytes as a vector.
  static std::vector<uint8_t> StringToBytes(std::string_view text);
  // Upper-case hexadecimal of the bytes, two digits per byte.
  static std::string BytesToHex(std::string_view bytes);
  // Writes one byte per pair of digits into `buffer`; false (nothing written)
  // when the length is odd or half of it exceeds `capacity`. A character that
  // is no hexadecimal digit counts as 0.
  static bool HexToBytes(std::string_view hex, uint8_t* buffer, size_t capacity);
  // One byte per pair of digits (either case); an odd last digit is dropped;
  // any character other than a hexadecimal digit gives an empty vector.
  static std::vector<uint8_t> HexToVector(std::string_view hex);

 private:
  uint8_t iv_[kBlockSize];
};

// The body of an enciphered post: Base64 of AES-128-CBC with PKCS#7 padding
// of `plain`, with the first 16 bytes of `key` as both key and IV (a shorter
// key is zero-filled and logged). Any standard AES implementation deciphers it.
std::string AesEncryptBody(std::string_view key, std::string_view plain);
