#include "foundation/Digest.h"

#include <string.h>

#include <openssl/evp.h>

CDigestContext::CDigestContext(bool sha256) : ctx_(EVP_MD_CTX_new()), sha256_(sha256) { Start(); }

CDigestContext::~CDigestContext() { EVP_MD_CTX_free(ctx_); }

void CDigestContext::Start() {
  // EVP_MD_CTX_new fails only when memory runs out; the context then stays
  // unstarted and gives an all-zero digest.
  started_ = ctx_ && EVP_DigestInit_ex(ctx_, sha256_ ? EVP_sha256() : EVP_md5(), nullptr) == 1;
}

void CDigestContext::Absorb(const void* bytes, size_t count) {
  if (started_ && count > 0) EVP_DigestUpdate(ctx_, bytes, count);
}

void CDigestContext::Finish(uint8_t* digest) {
  size_t size = sha256_ ? 32 : 16;
  unsigned int written = 0;
  if (!started_ || EVP_DigestFinal_ex(ctx_, digest, &written) != 1 || written != size) {
    memset(digest, 0, size);
  }
  if (ctx_) EVP_MD_CTX_reset(ctx_);
  started_ = false;
}

void MD5Init(MD5Context* ctx) { ctx->Start(); }
void MD5Update(MD5Context* ctx, const void* bytes, size_t count) { ctx->Absorb(bytes, count); }
void MD5Final(uint8_t digest[16], MD5Context* ctx) { ctx->Finish(digest); }

void Sha256Init(Sha256Context* ctx) { ctx->Start(); }
void Sha256Update(const void* bytes, size_t count, Sha256Context* ctx) { ctx->Absorb(bytes, count); }
void Sha256Final(uint8_t digest[32], Sha256Context* ctx) { ctx->Finish(digest); }

std::string DigestToHex(const uint8_t* bytes, size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex(count * 2, '0');
  for (size_t i = 0; i < count; ++i) {
    hex[2 * i] = kDigits[bytes[i] >> 4];
    hex[2 * i + 1] = kDigits[bytes[i] & 0x0F];
  }
  return hex;
}

std::string Sha256Hex(std::string_view text) {
  Sha256Context ctx;
  Sha256Update(text.data(), text.size(), &ctx);
  uint8_t digest[32];
  Sha256Final(digest, &ctx);
  return DigestToHex(digest, sizeof(digest));
}

std::string Md5Hex(std::string_view text) {
  MD5Context ctx;
  MD5Update(&ctx, text.data(), text.size());
  uint8_t digest[16];
  MD5Final(digest, &ctx);
  return DigestToHex(digest, sizeof(digest));
}
