#include "outside/console_sim/sha256.h"

#include <stdexcept>
#include <vector>

#include <openssl/evp.h>

#include "outside/console_sim/hex_text.h"

namespace outside::console_sim {

namespace {

void Check(int result, const char* what) {
  if (result != 1) throw std::runtime_error(std::string("SHA-256: ") + what + " failed");
}

}  // namespace

void Sha256::ContextDeleter::operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }

Sha256::Sha256() : context_(EVP_MD_CTX_new()) {
  if (!context_) throw std::runtime_error("SHA-256: no memory for the context");
  Check(EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr), "start");
}

void Sha256::Update(std::span<const std::uint8_t> bytes) {
  Check(EVP_DigestUpdate(context_.get(), bytes.data(), bytes.size()), "update");
}

std::string Sha256::Finish() {
  std::vector<std::uint8_t> digest(EVP_MAX_MD_SIZE);
  unsigned size = 0;
  Check(EVP_DigestFinal_ex(context_.get(), digest.data(), &size), "finish");
  digest.resize(size);
  return FormatLowerHex(digest);
}

}  // namespace outside::console_sim
