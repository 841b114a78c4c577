// AES-128 body cipher and ARIA string cipher against published vectors and
// fixtures made with the openssl command line.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/Aes128.h"
#include "foundation/Aria.h"
#include "foundation/Base64.h"
#include "ProcessLogCapture.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& hex) { return CAesCipher::HexToVector(hex); }

struct AesCase {
  const char* name;
  const char* key_hex;
  const char* iv_hex;
  const char* plain_hex;
  const char* cipher_hex;  // upper case, with the extra padding block
};

const AesCase kAesCases[] = {
    // FIPS 197 appendix C.1 (one block; zero IV makes CBC's first block plain AES).
    {"fips197", "000102030405060708090a0b0c0d0e0f", "00000000000000000000000000000000",
     "00112233445566778899aabbccddeeff",
     "69C4E0D86A7B0430D8CDB78070B4C55A9E978E6D16B086570EF794EF97984232"},
    // SP 800-38A F.2.1 CBC-AES128.Encrypt, four blocks, then the pad block.
    {"sp800-38a", "2b7e151628aed2a6abf7158809cf4f3c", "000102030405060708090a0b0c0d0e0f",
     "6bc1bee22e409f96e93d7e117393172aae2d8a571e03ac9c9eb76fac45af8e51"
     "30c81c46a35ce411e5fbc1191a0a52eff69f2445df4f9b17ad2b417be66c3710",
     "7649ABAC8119B246CEE98E9B12E9197D5086CB9B507219EE95DB113A917678B2"
     "73BED6B8E3C1743B7116E69E222295163FF1CAA1681FAC09120ECA307586E1A7"
     "8CB82807230E1321D3FAE00D18CC2012"},
    // Empty plaintext: one block of sixteen pad bytes.
    {"empty", "000102030405060708090a0b0c0d0e0f", "00000000000000000000000000000000", "",
     "954F64F2E4E86E9EEE82D20216684899"},
};

TEST(AesCipherTest, PublishedVectorsWithPaddingBlock) {
  for (const AesCase& c : kAesCases) {
    SCOPED_TRACE(c.name);
    CAesCipher aes;
    aes.SetIV(Bytes(c.iv_hex));
    EXPECT_EQ(aes.EncryptToHex(c.plain_hex, c.key_hex), c.cipher_hex);
  }
}

TEST(AesCipherTest, BodyFixturesMadeWithOpenssl) {
  // openssl enc -aes-128-cbc -K <hex of key> -iv <hex of key> | base64
  struct Fixture {
    std::string key, plain, body;
  };
  const Fixture fixtures[] = {
      {"0123456789abcdef", "{\"a\": \"1\"}", "pzKCaP2avVDDkeRjxNVEcw=="},
      {"0123456789abcdef", "", "7Uf+4FRcP6fdBw1EuG6Y2Q=="},
      {"0123456789abcdef", "x", "PF6O4udt26t7BXgQILH63w=="},
      // Only the first 16 key bytes count, as key and as IV.
      {"0123456789abcdefEXTRA", "x", "PF6O4udt26t7BXgQILH63w=="},
      // A short key is zero-filled to 16 bytes.
      {"abc", "abc", "8788ZbJQHoU56vO38gZhpA=="},
  };
  for (const Fixture& f : fixtures) {
    SCOPED_TRACE(f.key + " / " + f.plain);
    EXPECT_EQ(AesEncryptBody(f.key, f.plain), f.body);

    // The callers' road through the hexadecimal interface gives the same body.
    CAesCipher aes;
    aes.SetIV(CAesCipher::StringToBytes(f.key));
    std::string hex = aes.EncryptToHex(CAesCipher::BytesToHex(f.plain), CAesCipher::BytesToHex(f.key));
    std::vector<uint8_t> bytes(hex.size() / 2);
    ASSERT_TRUE(CAesCipher::HexToBytes(hex, bytes.data(), bytes.size()));
    EXPECT_EQ(Base64EncodeToString(bytes.data(), bytes.size()), f.body);
  }
}

TEST(AesCipherTest, ShortKeyIsZeroFilledAndLogged) {
  ProcessLogCapture log;
  EXPECT_EQ(AesEncryptBody("abc", "abc"), "8788ZbJQHoU56vO38gZhpA==");
  EXPECT_EQ(AesEncryptBody("", "abc"), AesEncryptBody(std::string(16, '\0'), "abc"));
  EXPECT_EQ(log.Text(),
            "ERROR - The cipher key has 3 bytes, fewer than 16; the rest is filled with zero bytes.\r\n"
            "ERROR - The cipher key has 0 bytes, fewer than 16; the rest is filled with zero bytes.\r\n");
}

TEST(AesCipherTest, PaddingAddsOneToSixteenBytes) {
  for (size_t n : {0u, 1u, 15u, 16u, 17u, 31u, 32u, 1000u}) {
    std::string body = AesEncryptBody("0123456789abcdef", std::string(n, 'p'));
    std::string cipher;
    ASSERT_GT(Base64Decode(body, &cipher), 0);
    EXPECT_EQ(cipher.size(), (n / 16 + 1) * 16) << n;
  }
}

TEST(AesCipherTest, HexConversions) {
  EXPECT_EQ(CAesCipher::BytesToHex(std::string("\x00\x0f\xa0\xff", 4)), "000FA0FF");

  uint8_t buffer[4] = {9, 9, 9, 9};
  EXPECT_FALSE(CAesCipher::HexToBytes("ABC", buffer, 4));         // odd length
  EXPECT_FALSE(CAesCipher::HexToBytes("0011223344", buffer, 4));  // too long for the buffer
  EXPECT_EQ(buffer[0], 9);
  ASSERT_TRUE(CAesCipher::HexToBytes("a0Fzz1", buffer, 4));       // a non-digit counts as 0
  EXPECT_EQ(buffer[0], 0xA0);
  EXPECT_EQ(buffer[1], 0xF0);
  EXPECT_EQ(buffer[2], 0x01);
  EXPECT_EQ(buffer[3], 9);

  EXPECT_EQ(CAesCipher::HexToVector("a0ff1"), (std::vector<uint8_t>{0xA0, 0xFF}));  // odd digit dropped
  EXPECT_TRUE(CAesCipher::HexToVector("a0g0").empty());
  EXPECT_TRUE(CAesCipher::HexToVector("").empty());
}

TEST(AesCipherTest, FreshIvIsRandom) {
  // Two objects without SetIV chain from different IVs.
  CAesCipher a;
  CAesCipher b;
  std::string key = "000102030405060708090a0b0c0d0e0f";
  EXPECT_NE(a.EncryptToHex("", key), b.EncryptToHex("", key));
}

TEST(AriaTest, Rfc5794BlockVectors) {
  const std::string plain = "00112233445566778899aabbccddeeff";
  struct Vector {
    int bits;
    const char* cipher;
  };
  const Vector vectors[] = {{128, "D718FBD6AB644C739DA95F3BE6451778"},
                            {192, "26449C1805DBE7AA25A468CE263A9E79"},
                            {256, "F92BD7C79FB72E2F2B8F80C1972D24FC"}};
  std::vector<uint8_t> key;
  for (int i = 0; i < 32; ++i) key.push_back(static_cast<uint8_t>(i));
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.bits);
    Aria aria;
    EXPECT_EQ(aria.SetEncryptKey(key.data(), v.bits), v.bits == 128 ? 12 : v.bits == 192 ? 14 : 16);
    std::vector<uint8_t> in = Bytes(plain);
    uint8_t out[16];
    ASSERT_TRUE(aria.Crypt(in.data(), 16, out));
    EXPECT_EQ(CAesCipher::BytesToHex(std::string(reinterpret_cast<char*>(out), 16)), v.cipher);

    Aria back;
    EXPECT_GT(back.SetDecryptKey(key.data(), v.bits), 0);
    uint8_t again[16];
    ASSERT_TRUE(back.Crypt(out, 16, again));
    EXPECT_EQ(std::vector<uint8_t>(again, again + 16), in);
  }
  Aria aria;
  EXPECT_EQ(aria.SetEncryptKey(key.data(), 100), 0);
  uint8_t block[16] = {};
  EXPECT_FALSE(aria.Crypt(block, 16, block));
}

TEST(AriaTest, StoredPasswordForms) {
  // openssl enc -aria-192-ecb -nopad under the built-in key, text zero-filled.
  struct Fixture {
    std::string password, stored;
  };
  const Fixture fixtures[] = {
      {"admin", "DE/ezEp+Lw+LFByBAvAG4A=="},
      {"", "HvlzTVQWXkT53oJKc1dBEA=="},
      {"0123456789abcdef", "lDmz8Z7O+0yQxiLWRLSz/x75c01UFl5E+d6CSnNXQRA="},  // 16 bytes: two blocks
  };
  for (const Fixture& f : fixtures) {
    SCOPED_TRACE(f.password);
    EXPECT_EQ(AriaEncryptString(f.password), f.stored);
    EXPECT_EQ(AriaDecryptString(f.stored), f.password);
  }
}

TEST(AriaTest, StringCipherEdges) {
  // Lengths: 24 characters up to 15 bytes, 44 for 16 to 31, 64 for 32 to 47.
  EXPECT_EQ(AriaEncryptString(std::string(15, 'x')).size(), 24u);
  EXPECT_EQ(AriaEncryptString(std::string(31, 'x')).size(), 44u);
  EXPECT_EQ(AriaEncryptString(std::string(32, 'x')).size(), 64u);

  // Deterministic, ECB: equal blocks give equal cipher blocks.
  std::string stored = AriaEncryptString(std::string(32, 'q'));
  EXPECT_EQ(stored, AriaEncryptString(std::string(32, 'q')));
  std::string cipher;
  ASSERT_EQ(Base64Decode(stored, &cipher), 48);
  EXPECT_EQ(cipher.substr(0, 16), cipher.substr(16, 16));

  // A zero byte in the middle cuts the text on the way back.
  EXPECT_EQ(AriaDecryptString(AriaEncryptString(std::string("ab\0cd", 5))), "ab");

  // What is no stored form deciphers to "".
  const char* not_stored[] = {"", "admin", "plain password", "YWJj", "DE/ezEp+Lw+LFByBAvAG4A", "QUJDRA=="};
  for (const char* text : not_stored) EXPECT_EQ(AriaDecryptString(text), "") << text;
}

TEST(AriaTest, OtherKeysUseTheWideSchedule) {
  const uint8_t key[] = {'k'};
  // openssl enc -aria-256-ecb -nopad -K 6b00..00 of "hello" zero-filled.
  EXPECT_EQ(AriaEncrypt("hello", key, 1), "/VOSJijlbLxMqBu8voXZ/g==");
  EXPECT_EQ(AriaDecrypt("/VOSJijlbLxMqBu8voXZ/g==", key, 1), "hello");
  // A key longer than 32 bytes counts with its first 32.
  std::string long_key(40, 'z');
  std::string stored = AriaEncrypt("secret", reinterpret_cast<const uint8_t*>(long_key.data()), 40);
  EXPECT_EQ(AriaDecrypt(stored, reinterpret_cast<const uint8_t*>(long_key.data()), 32), "secret");
}

}  // namespace
