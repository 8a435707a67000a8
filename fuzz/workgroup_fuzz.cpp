// fuzz/workgroup_fuzz: libFuzzer target for the values a workgroup file stores and the engine
// reads back: password hash texts (checked at every login), account names and PIDs. The input
// is "hash\npassword"; a hash text the engine did not make must never match nor cost more than
// the hashes the engine makes. Engine errors are expected outcomes; anything else is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "com/ole_exception.h"
#include "jet/workgroup/account_rules.h"
#include "jet/workgroup/password_hash.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  std::size_t cut = text.find('\n');
  std::string_view hash = text.substr(0, cut);
  std::string_view password = cut == std::string_view::npos ? std::string_view() : text.substr(cut + 1);
  qb::jet::VerifyPassword(hash, password);
  for (auto check : {qb::jet::CheckAccountName, qb::jet::CheckPid, qb::jet::CheckPassword}) {
    try {
      check(text);
    } catch (const qb::EOleException&) {
    }
  }
  try {
    qb::jet::CheckAccountName(hash);
    qb::jet::CheckPid(password);
    qb::jet::MakeSid(hash, password);
    qb::jet::AccountNameKey(hash);
  } catch (const qb::EOleException&) {
  }
  return 0;
}
