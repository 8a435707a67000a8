// jet/base/engine_settings: the engine's tunable costs and waits, fixed when a DBEngine is made.
// Plain values and one hook: the defaults are what every program uses; only tests lower the
// costs or set the hook.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

namespace qb::jet {

struct EngineSettings {
  // How long a write waits for another connection's lock on the file before failing with
  // kLockedRetry, in milliseconds. Every write takes the file's write lock before it reads, so
  // it waits this long for another user's transaction to end.
  int busy_timeout_ms = 5000;

  // Called, when set, each time a connection starts to wait for another connection's lock on
  // the file, before its first pause: for tests, which act while a write waits. Must not throw.
  std::function<void()> on_lock_wait;

  // A record another user has locked is asked for again this many times, this many
  // milliseconds apart, before Edit, Update or Delete gives up with "record locked".
  int lock_retry_count = 20;
  int lock_retry_delay_ms = 100;

  // Argon2id cost of each new account password hash. Verification reads the cost stored with
  // the hash, so a file hashed at any cost can be logged in to under any settings.
  std::uint64_t hash_ops_limit = 2;                // libsodium's "interactive" operations
  std::size_t hash_mem_limit = 64u * 1024 * 1024;  // libsodium's "interactive" memory (bytes)

  // Key-derivation rounds for files keyed by a password. The rounds are not recorded in the
  // file: a file keyed under lowered rounds opens only with the same rounds (tests only).
  int password_kdf_iterations = 64000;

  // The cheapest costs the libraries accept: for tests, which make many hashes and files.
  static EngineSettings ForTests();
};

}  // namespace qb::jet
