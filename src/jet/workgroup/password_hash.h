// jet/workgroup/password_hash: Argon2id hashes of account passwords. Never keeps or logs a
// password; the hash text carries its own cost, salt and parameters.
#pragma once
#include <string>
#include <string_view>

#include "jet/engine_settings.h"

namespace qb::jet {

// A new Argon2id hash of PASSWORD at the settings' cost, as text. Raises kResourceExceeded when
// the memory for the hash cannot be had.
std::string HashPassword(std::string_view password, const EngineSettings& settings);

// True when PASSWORD matches HASH (made by HashPassword under any settings). A malformed hash
// never matches.
bool VerifyPassword(std::string_view hash, std::string_view password);

}  // namespace qb::jet
