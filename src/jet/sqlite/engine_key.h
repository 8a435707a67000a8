// jet/sqlite/engine_key: the engine-wide secrets compiled into the engine: the raw key of files
// encrypted without a password (workgroups included) and the key of account SIDs. They hide
// data from plain readers only; they are no substitute for a password.
#pragma once
#include "jet/sqlite/cipher_key.h"

namespace qb::jet {

// The key of every workgroup file and of databases encrypted without a password. The same in
// every build, so that files move between machines.
CipherKey EngineFileKey();

// The 32-byte key of the keyed hash that derives account SIDs from a name and a PID.
const CipherKey::RawBytes& SidHashKey();

}  // namespace qb::jet
