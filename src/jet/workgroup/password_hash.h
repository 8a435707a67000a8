// jet/workgroup/password_hash: Argon2id hashes of account passwords. Never keeps or logs a
// password; the hash text carries its own cost, salt and parameters.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "jet/base/engine_settings.h"

namespace qb::jet {

// A new Argon2id hash of PASSWORD at the settings' cost, as text. Raises kResourceExceeded when
// the memory for the hash cannot be had.
std::string HashPassword(std::string_view password, const EngineSettings& settings);

// True when PASSWORD matches HASH (made by HashPassword under any settings). A malformed hash
// never matches.
bool VerifyPassword(std::string_view hash, std::string_view password);

// A well-formed hash at the settings' cost that no password matches: checking a login for a
// name that does not exist against it costs what checking a wrong password costs.
std::string UnmatchableHash(const EngineSettings& settings);

// How many times VerifyPassword has run in this process (tests count the work of a login).
std::uint64_t PasswordVerifications();

}  // namespace qb::jet
