#include "foundation/Digest.h"

#include <string>

#include <gtest/gtest.h>

namespace {

struct DigestCase {
  std::string text;
  const char* md5;
  const char* sha256;
};

// RFC 1321 appendix A.5 and FIPS 180-4 (NIST example values); empty entries
// are not published for that algorithm.
const DigestCase kCases[] = {
    {"", "d41d8cd98f00b204e9800998ecf8427e",
     "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
    {"a", "0cc175b9c0f1b6a831c399e269772661", nullptr},
    {"abc", "900150983cd24fb0d6963f7d28e17f72",
     "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
    {"message digest", "f96b697d7cb7938d525a2f31aaf161d0", nullptr},
    {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b", nullptr},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
     "d174ab98d277d9f5a5611c2c9f419d9f", nullptr},
    {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
     "57edf4a22be3c955ac49da2e2107b67a", nullptr},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", nullptr,
     "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
    {std::string(1000000, 'a'), "7707d6ae4e027c70eea2a935c2296f21",
     "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    // A zero byte inside: the digest covers the whole length.
    {std::string("a\0b", 3), "70350f6027bce3713f6b76473084309b",
     "59b271ae1bbcb1d31d41929817f4b16fb439eb4f31520b5ad1d5ce98920a7138"},
};

TEST(DigestTest, PublishedVectorsInLowerCaseHex) {
  for (const DigestCase& c : kCases) {
    SCOPED_TRACE(c.text.substr(0, 40));
    if (c.md5) {
      EXPECT_EQ(Md5Hex(c.text), c.md5);
    }
    if (c.sha256) {
      EXPECT_EQ(Sha256Hex(c.text), c.sha256);
    }
  }
}

TEST(DigestTest, PiecewiseUpdatesEqualOneUpdate) {
  // Pieces that straddle the 64-byte block boundary in every way.
  std::string text;
  for (int i = 0; i < 300; ++i) text.push_back(static_cast<char>(i * 7));
  for (size_t piece : {1u, 3u, 63u, 64u, 65u, 127u}) {
    SCOPED_TRACE(piece);
    MD5Context md5;
    Sha256Context sha;
    for (size_t at = 0; at < text.size(); at += piece) {
      size_t n = std::min(piece, text.size() - at);
      MD5Update(&md5, text.data() + at, n);
      Sha256Update(text.data() + at, n, &sha);
    }
    uint8_t md5_digest[16];
    uint8_t sha_digest[32];
    MD5Final(md5_digest, &md5);
    Sha256Final(sha_digest, &sha);
    EXPECT_EQ(DigestToHex(md5_digest, 16), Md5Hex(text));
    EXPECT_EQ(DigestToHex(sha_digest, 32), Sha256Hex(text));
  }
}

TEST(DigestTest, FinishedContextCannotBeContinuedUntilRestarted) {
  MD5Context md5;
  MD5Update(&md5, "abc", 3);
  uint8_t digest[16];
  MD5Final(digest, &md5);
  EXPECT_EQ(DigestToHex(digest, 16), "900150983cd24fb0d6963f7d28e17f72");

  // Cleared: more bytes are ignored and the digest is all zero.
  MD5Update(&md5, "abc", 3);
  MD5Final(digest, &md5);
  EXPECT_EQ(DigestToHex(digest, 16), std::string(32, '0'));

  MD5Init(&md5);
  MD5Update(&md5, "a", 1);
  MD5Final(digest, &md5);
  EXPECT_EQ(DigestToHex(digest, 16), "0cc175b9c0f1b6a831c399e269772661");

  Sha256Context sha;
  uint8_t sha_digest[32];
  Sha256Final(sha_digest, &sha);
  Sha256Final(sha_digest, &sha);
  EXPECT_EQ(DigestToHex(sha_digest, 32), std::string(64, '0'));
  Sha256Init(&sha);
  Sha256Update("abc", 3, &sha);
  Sha256Final(sha_digest, &sha);
  EXPECT_EQ(DigestToHex(sha_digest, 32), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
}

}  // namespace
