// jet/base/engine_settings: the lowered costs for tests. Holds no state.
#include "jet/base/engine_settings.h"

#include <sodium.h>

namespace qb::jet {

EngineSettings EngineSettings::ForTests() {
  EngineSettings settings;
  settings.hash_ops_limit = crypto_pwhash_OPSLIMIT_MIN;
  settings.hash_mem_limit = crypto_pwhash_MEMLIMIT_MIN;
  settings.password_kdf_iterations = 2;
  settings.lock_retry_delay_ms = 0;  // tests never wait on time
  return settings;
}

}  // namespace qb::jet
