// jet/odbc/wide_text: text between the engine's UTF-8 and the UTF-16 code units (SQLWCHAR) the
// drivers' wide calls take and give. Bytes that are not UTF-8 and lone surrogates become U+FFFD,
// so whatever a value holds reaches the driver and comes back as text.
#pragma once
#include <sql.h>

#include <cstddef>
#include <string>
#include <vector>

namespace qb::jet::odbc {

// UTF-8 TEXT as UTF-16 code units into UNITS, replacing what it held; no terminating 0.
void Utf16Into(const std::string& text, std::vector<SQLWCHAR>& units);

// The first COUNT of UNITS as UTF-8.
std::string Utf8Of(const std::vector<SQLWCHAR>& units, std::size_t count);

}  // namespace qb::jet::odbc
