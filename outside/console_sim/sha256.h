#pragma once

// An incremental SHA-256 over the bytes of one stream.

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <openssl/types.h>

namespace outside::console_sim {

class Sha256 {
 public:
  Sha256();
  Sha256(Sha256&&) noexcept = default;
  Sha256& operator=(Sha256&&) noexcept = default;

  void Update(std::span<const std::uint8_t> bytes);
  // The digest as 64 lower-case hex digits; no bytes can be added after it.
  std::string Finish();

 private:
  struct ContextDeleter {
    void operator()(EVP_MD_CTX* context) const;
  };
  std::unique_ptr<EVP_MD_CTX, ContextDeleter> context_;
};

}  // namespace outside::console_sim
