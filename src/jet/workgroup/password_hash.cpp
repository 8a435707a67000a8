// jet/workgroup/password_hash: libsodium's Argon2id string hashes.
#include "jet/workgroup/password_hash.h"

#include <sodium.h>

#include "jet/errors.h"

namespace qb::jet {
namespace {

void EnsureSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) RaiseJetError(err::kInternal, "The engine's cryptography library could not start.");
}

}  // namespace

std::string HashPassword(std::string_view password, const EngineSettings& settings) {
  EnsureSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(hash, password.data(), password.size(), settings.hash_ops_limit,
                            settings.hash_mem_limit, crypto_pwhash_ALG_ARGON2ID13) != 0) {
    RaiseJetError(err::kResourceExceeded, "The engine ran out of memory while hashing a password.");
  }
  return hash;
}

bool VerifyPassword(std::string_view hash, std::string_view password) {
  EnsureSodium();
  std::string stored(hash);  // NUL-terminated copy for the library
  if (stored.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(stored.c_str(), password.data(), password.size()) == 0;
}

}  // namespace qb::jet
