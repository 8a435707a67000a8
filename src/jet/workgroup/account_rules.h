// jet/workgroup/account_rules: what makes an account name, PID or password acceptable, and how
// an account's SID and comparison key are derived. Pure functions: no file, no session.
#pragma once
#include <string>
#include <string_view>

namespace qb::jet {

// Names have 1 to 20 characters, none of them a control character or one of " \ [ ] : | < > + =
// ; , . ? *, and do not begin with a space. Raises kBadAccountName naming the fault otherwise.
void CheckAccountName(std::string_view name);

// PIDs have 4 to 20 characters and no control character. Raises kBadPid otherwise. The message
// never shows the PID (it is the secret half of a SID).
void CheckPid(std::string_view pid);

// Passwords have at most 14 characters and no NUL. Raises kBadPassword otherwise; the message
// never shows the password.
void CheckPassword(std::string_view password);

// The account's identity: a keyed hash of NAME (as given) and PID, 32 bytes. The same name and PID
// give the same SID in every workgroup file.
std::string MakeSid(std::string_view name, std::string_view pid);

// The key under which names are unique and found: NAME case-folded.
std::string AccountNameKey(std::string_view name);

}  // namespace qb::jet
