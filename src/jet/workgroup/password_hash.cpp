// jet/workgroup/password_hash: libsodium's Argon2id string hashes.
#include "jet/workgroup/password_hash.h"

#include <sodium.h>

#include <atomic>

#include "jet/base/errors.h"

namespace qb::jet {
namespace {

std::atomic<std::uint64_t> verifications{0};

void EnsureSodium() {
  static const bool ready = sodium_init() >= 0;
  if (!ready) RaiseJetError(err::kInternal, "The engine's cryptography library could not start.");
}

}  // namespace

std::string HashPassword(std::string_view password, const EngineSettings& settings) {
  if (password.empty()) return std::string(kNoPasswordHash);
  EnsureSodium();
  char hash[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str_alg(hash, password.empty() ? "" : password.data(), password.size(), settings.hash_ops_limit,
                            settings.hash_mem_limit, crypto_pwhash_ALG_ARGON2ID13) != 0) {
    RaiseJetError(err::kResourceExceeded, "The engine ran out of memory while hashing a password.");
  }
  return hash;
}

bool VerifyPassword(std::string_view hash, std::string_view password) {
  if (hash == kNoPasswordHash) return password.empty();
  EnsureSodium();
  verifications.fetch_add(1, std::memory_order_relaxed);
  std::string stored(hash);  // NUL-terminated copy for the library
  if (stored.size() >= crypto_pwhash_STRBYTES) return false;
  // An empty view may have no characters at all, which the library must not be given.
  return crypto_pwhash_str_verify(stored.c_str(), password.empty() ? "" : password.data(), password.size()) == 0;
}

std::string UnmatchableHash(const EngineSettings& settings) {
  EnsureSodium();
  // The text the library writes for a hash at this cost, with random bytes for its salt and
  // its digest: a digest no password produces but by chance (one in 2^256).
  auto base64 = [](std::size_t size) {
    std::string bytes(size, '\0');
    randombytes_buf(bytes.data(), bytes.size());
    std::string text(sodium_base64_ENCODED_LEN(size, sodium_base64_VARIANT_ORIGINAL_NO_PADDING), '\0');
    sodium_bin2base64(text.data(), text.size(), reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                      sodium_base64_VARIANT_ORIGINAL_NO_PADDING);
    text.resize(text.find('\0'));
    return text;
  };
  return "$argon2id$v=19$m=" + std::to_string(settings.hash_mem_limit / 1024) + ",t=" +
         std::to_string(settings.hash_ops_limit) + ",p=1$" + base64(crypto_pwhash_SALTBYTES) + "$" + base64(32);
}

std::uint64_t PasswordVerifications() { return verifications.load(std::memory_order_relaxed); }

}  // namespace qb::jet
