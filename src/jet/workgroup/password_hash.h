// jet/workgroup/password_hash: Argon2id hashes of account passwords. Never keeps or logs a
// password; the hash text carries its own cost, salt and parameters.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "jet/base/engine_settings.h"

namespace qb::jet {

// What an account with no password stores instead of a hash: checking the empty password needs
// no work, so logging in to such an account (Admin of a new workgroup, as every command-line
// call does) costs nothing. Not a hash text the library makes, so no hash is taken for it.
// Files written before it hold an Argon2id hash of the empty password, which still verifies.
inline constexpr std::string_view kNoPasswordHash = "$none$";

// A new Argon2id hash of PASSWORD at the settings' cost, as text (kNoPasswordHash for the empty
// password). Raises kResourceExceeded when the memory for the hash cannot be had.
std::string HashPassword(std::string_view password, const EngineSettings& settings);

// True when PASSWORD matches HASH (made by HashPassword under any settings). A malformed hash
// never matches; kNoPasswordHash matches the empty password only, without hash work.
bool VerifyPassword(std::string_view hash, std::string_view password);

// A well-formed hash at the settings' cost that no password matches: checking a login for a
// name that does not exist against it costs what checking a wrong password costs.
std::string UnmatchableHash(const EngineSettings& settings);

// How many Argon2id checks VerifyPassword has made in this process (tests count the work of a
// login).
std::uint64_t PasswordVerifications();

}  // namespace qb::jet
