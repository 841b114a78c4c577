// MD5 (RFC 1321) and SHA-256 (FIPS 180-4) digests in context, update and final
// steps, and one-call digests as lower-case hexadecimal text. OpenSSL's
// libcrypto does the compression underneath. A context belongs to one thread.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

struct evp_md_ctx_st;

// Common part of the two contexts: an EVP digest context that is started on
// construction and by Init, and cleared by Final.
class CDigestContext {
 public:
  CDigestContext(const CDigestContext&) = delete;
  CDigestContext& operator=(const CDigestContext&) = delete;

 protected:
  explicit CDigestContext(bool sha256);
  ~CDigestContext();
  void Start();
  void Absorb(const void* bytes, size_t count);
  // Writes the digest (16 or 32 bytes) and clears the context; a cleared
  // context ignores further bytes and gives an all-zero digest.
  void Finish(uint8_t* digest);

 private:
  evp_md_ctx_st* ctx_;
  bool sha256_;
  bool started_ = false;
};

// An MD5 context, started (state at the standard initial values) when made.
class MD5Context : public CDigestContext {
 public:
  MD5Context() : CDigestContext(false) {}
  friend void MD5Init(MD5Context* ctx);
  friend void MD5Update(MD5Context* ctx, const void* bytes, size_t count);
  friend void MD5Final(uint8_t digest[16], MD5Context* ctx);
};

// Starts (or restarts) the context.
void MD5Init(MD5Context* ctx);
// Absorbs `count` bytes.
void MD5Update(MD5Context* ctx, const void* bytes, size_t count);
// Writes the 16-byte digest, then clears the whole context: a finished context
// cannot be continued (further bytes are ignored and a second Final gives zeros)
// until MD5Init starts it again.
void MD5Final(uint8_t digest[16], MD5Context* ctx);

// A SHA-256 context, started when made.
class Sha256Context : public CDigestContext {
 public:
  Sha256Context() : CDigestContext(true) {}
  friend void Sha256Init(Sha256Context* ctx);
  friend void Sha256Update(const void* bytes, size_t count, Sha256Context* ctx);
  friend void Sha256Final(uint8_t digest[32], Sha256Context* ctx);
};

// Starts (or restarts) the context.
void Sha256Init(Sha256Context* ctx);
// Absorbs `count` bytes.
void Sha256Update(const void* bytes, size_t count, Sha256Context* ctx);
// Writes the 32-byte digest (big-endian words) and clears the context as MD5Final does.
void Sha256Final(uint8_t digest[32], Sha256Context* ctx);

// 64 lower-case hexadecimal digits of the SHA-256 of all of `text`'s bytes
// (zero bytes included).
std::string Sha256Hex(std::string_view text);
// 32 lower-case hexadecimal digits of the MD5 of all of `text`'s bytes.
std::string Md5Hex(std::string_view text);

// `count` bytes as lower-case hexadecimal, two digits per byte (the form of
// every digest text).
std::string DigestToHex(const uint8_t* bytes, size_t count);
