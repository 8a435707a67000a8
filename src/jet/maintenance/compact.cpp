// jet/maintenance/compact: CompactDatabase: a new destination file built from the source's content, with
// the requested format version, sort order and encryption. Reads the source only, under an
// exclusive hold; a destination that exists is refused. In place, the new file replaces the
// source atomically before the hold is released.
#include <unistd.h>

#include <cstdio>

#include "jet/storage/copy_content.h"
#include "jet/catalog/currency_storage.h"
#include "jet/catalog/database_catalog.h"
#include "jet/maintenance/database_maintenance.h"
#include "jet/maintenance/database_open.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/storage/side_file.h"
#include "jet/base/sort_orders.h"
#include "jet/sqlite/connection.h"
#include "jet/storage/text_collation.h"

namespace qb::jet {
namespace {

// The destination's key from the source's key, the options and the destination locale's
// password clause (absent: keep the source's password; empty: remove it).
CipherKey DestinationKey(const CipherKey& source_key, const std::optional<std::string>& new_password, int options) {
  if (new_password && !new_password->empty()) {
    if (options & kDbDecrypt) {
      RaiseJetError(err::kInvalidOperation, "A database with a password is always encrypted, so it cannot be decrypted.");
    }
    CheckNewPassword(*new_password);
    return CipherKey::Password(*new_password);
  }
  const bool had_password = source_key.GetKind() == CipherKey::Kind::kPassword;
  if (had_password && !new_password) {
    if (options & kDbDecrypt) {
      RaiseJetError(err::kInvalidOperation,
                    "The database has a password, and a password always means encryption: remove the password "
                    "(\";pwd=\" alone) to decrypt it.");
    }
    return source_key;
  }
  if (options & kDbEncrypt) return EngineFileKey();
  if (options & kDbDecrypt) return CipherKey::None();
  // Removing a password leaves a plain file unless encryption is asked for.
  return had_password ? CipherKey::None() : source_key;
}

}  // namespace

namespace {

// Builds DESTINATION from SOURCE; with IN_PLACE, DESTINATION is a side file that then replaces
// SOURCE while the exclusive hold still keeps everyone else out.
void Compact(const std::string& source, const std::string& destination, const std::string& destination_locale,
             int options, const std::string& source_locale, const EngineSettings& settings, bool in_place) {
  if (source.empty() || destination.empty()) RaiseJetError(err::kBadFileName, "No database file was named.");
  if ((options & kDbEncrypt) && (options & kDbDecrypt)) {
    RaiseJetError(err::kInvalidArgument, "A database cannot be both encrypted and decrypted (options 2 and 4).");
  }
  const std::string version = FormatVersionOfOptions(options);
  const LocaleText target = ParseLocaleText(destination_locale);
  const LocaleText origin = ParseLocaleText(source_locale);
  RemoveAbandonedSideFiles(destination);  // a compact into it that was killed left them
  if (ProbeFileShape(destination) != FileShape::kMissing) {
    RaiseJetError(err::kFileExists, "The file '" + destination + "' already exists; compact makes a new file.");
  }

  const CipherKey source_key = ChooseDatabaseKey(source, origin.password.value_or(std::string()), settings);
  CatalogInfo source_info;
  std::unique_ptr<Connection> reader =
      OpenEngineFile(source, FileKind::kDatabase, OpenMode::kReadWrite, source_key, settings, &source_info);
  LockFileHold hold(source, ShareMode::kExclusive, false);
  if (in_place) RemoveUnfinishedWork(source);
  PrepareDatabaseConnection(*reader, source_info, false);

  CatalogInfo info = source_info;
  if (!version.empty()) info.format_version = version;
  if (target.sort_order) info.sort_order = *target.sort_order;
  info.icu_version = IcuCollationVersion();
  info.exact_currency = true;
  const CipherKey key = DestinationKey(source_key, target.password, options);
  CreateEngineFile(destination, info, key, settings, [&](Connection& created) {
    RegisterTextCollation(created, info.sort_order);
    // The source's rows already keep its validation rules: they are not checked again.
    created.Exec("PRAGMA ignore_check_constraints = ON");
    CopyDatabaseContent(*reader, created, CopyMode::kStrict);
    created.Exec("PRAGMA ignore_check_constraints = OFF");
    if (!source_info.exact_currency) ConvertCurrencyTables(created);  // the compacted file is converted
  });
  if (!in_place) return;
  reader.reset();  // the last connection: the source's log is folded in and removed
  if (::rename(destination.c_str(), source.c_str()) != 0) {
    ::unlink(destination.c_str());
    RaiseJetError(err::kCannotOpenFile, "The compacted file could not replace '" + source + "'.");
  }
}

}  // namespace

void CompactDatabaseFile(const std::string& source, const std::string& destination,
                         const std::string& destination_locale, int options, const std::string& source_locale,
                         const EngineSettings& settings) {
  Compact(source, destination, destination_locale, options, source_locale, settings, false);
}

void CompactDatabaseInPlace(const std::string& source, const std::string& destination_locale, int options,
                            const std::string& source_locale, const EngineSettings& settings) {
  const std::string side = source + ".compact-" + std::to_string(::getpid());
  ::unlink(side.c_str());
  Compact(source, side, destination_locale, options, source_locale, settings, true);
}

}  // namespace qb::jet
