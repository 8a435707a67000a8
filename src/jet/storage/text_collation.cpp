// jet/storage/text_collation: builds ICU collators for sort orders and hands them to SQLite as the
// JETNOCASE collation. The collator belongs to the connection and is closed with it.
#include "jet/storage/text_collation.h"

#include <sqlcipher/sqlite3.h>
#include <unicode/ucol.h>
#include <unicode/uversion.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "jet/base/errors.h"
#include "jet/base/sort_orders.h"
#include "jet/sql/functions/sqlite_functions.h"
#include "jet/sqlite/connection.h"

namespace qb::jet {
namespace {

UCollator* OpenCollator(int sort_order) {
  UErrorCode status = U_ZERO_ERROR;
  std::string locale(SortOrderLocale(sort_order));
  UCollator* collator = ucol_open(locale.c_str(), &status);
  if (U_FAILURE(status) || collator == nullptr) {
    RaiseJetError(err::kInternal, "The collation of the sort order " + std::to_string(sort_order) +
                                      " is not available.");
  }
  ucol_setStrength(collator, UCOL_SECONDARY);
  return collator;
}

int Compare(void* context, int a_size, const void* a, int b_size, const void* b) {
  UErrorCode status = U_ZERO_ERROR;
  UCollationResult result = ucol_strcollUTF8(static_cast<UCollator*>(context), static_cast<const char*>(a),
                                             a_size, static_cast<const char*>(b), b_size, &status);
  if (U_FAILURE(status)) {
    // Not valid UTF-8 after all: fall back to bytes, so that the order stays total.
    int common = std::min(a_size, b_size);
    int bytes = std::memcmp(a, b, static_cast<std::size_t>(common));
    return bytes != 0 ? bytes : a_size - b_size;
  }
  return result == UCOL_LESS ? -1 : result == UCOL_GREATER ? 1 : 0;
}

void Close(void* context) { ucol_close(static_cast<UCollator*>(context)); }

}  // namespace

void RegisterTextCollation(Connection& connection, int sort_order) {
  UCollator* collator = OpenCollator(sort_order);
  int rc = sqlite3_create_collation_v2(connection.Handle(), kTextCollationName, SQLITE_UTF8, collator,
                                       &Compare, &Close);
  if (rc != SQLITE_OK) {
    ucol_close(collator);  // SQLite calls the destructor only when registration succeeded
    connection.Raise(rc);
  }
  // User tables' checks and defaults call the jet_* functions: every connection gets them too.
  if (!sql::RegisterJetFunctions(connection.Handle())) connection.Raise(SQLITE_NOMEM);
}

int CompareText(int sort_order, const std::string& a, const std::string& b) {
  std::unique_ptr<UCollator, void (*)(UCollator*)> collator(OpenCollator(sort_order), &ucol_close);
  return Compare(collator.get(), static_cast<int>(a.size()), a.data(), static_cast<int>(b.size()), b.data());
}

std::string IcuCollationVersion() {
  UVersionInfo version;
  u_getVersion(version);
  char text[U_MAX_VERSION_STRING_LENGTH];
  u_versionToString(version, text);
  return text;
}

}  // namespace qb::jet
