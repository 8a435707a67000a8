// jet/maintenance/database_create: CreateDatabase: reading its locale and options, building the catalog in
// a new file, and opening the result. Never touches an existing file.
#include "jet/maintenance/database_maintenance.h"

#include "jet/catalog/database_catalog.h"
#include "jet/maintenance/database_open.h"
#include "jet/sqlite/engine_key.h"
#include "jet/base/errors.h"
#include "jet/base/sort_orders.h"
#include "jet/sqlite/connection.h"
#include "jet/storage/text_collation.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {

std::string FormatVersionOfOptions(int options) {
  constexpr int kKnown = kDbVersion10 | kDbEncrypt | kDbDecrypt | kDbVersion11 | kDbVersion20 | kDbVersion30;
  if ((options & ~kKnown) != 0) {
    RaiseJetError(err::kInvalidArgument, "The options " + std::to_string(options) +
                                             " name a format this engine does not write (it writes versions 1.0 to 3.0).");
  }
  std::string version;
  int versions = 0;
  for (auto [bit, text] : {std::pair{kDbVersion10, "1.0"}, {kDbVersion11, "1.1"}, {kDbVersion20, "2.0"}, {kDbVersion30, "3.0"}}) {
    if (options & bit) {
      version = text;
      ++versions;
    }
  }
  if (versions > 1) RaiseJetError(err::kInvalidArgument, "The options name more than one format version.");
  return version;
}

void CheckNewPassword(const std::string& password) {
  std::optional<std::size_t> length = CharacterCount(password);
  if (!length || *length > kMaxDatabasePassword || password.find('\0') != std::string::npos) {
    RaiseJetError(err::kBadPassword, "Not a valid password: a database password has at most 20 characters and no NUL.");
  }
}

std::shared_ptr<DatabaseFile> CreateDatabaseFile(const std::string& path, const std::string& locale, int options,
                                                 const EngineSettings& settings, bool synced) {
  if (path.empty()) RaiseJetError(err::kBadFileName, "No database file was named.");
  if (options & kDbDecrypt) RaiseJetError(err::kInvalidArgument, "A new database cannot be created decrypted (option 4).");
  CatalogInfo info;
  info.kind = FileKind::kDatabase;
  const std::string version = FormatVersionOfOptions(options);
  if (!version.empty()) info.format_version = version;
  const LocaleText parsed = ParseLocaleText(locale);
  info.sort_order = parsed.sort_order.value_or(kSortGeneral);
  info.icu_version = IcuCollationVersion();

  CipherKey key = CipherKey::None();
  if (parsed.password && !parsed.password->empty()) {
    CheckNewPassword(*parsed.password);
    key = CipherKey::Password(*parsed.password);
  } else if (options & kDbEncrypt) {
    key = EngineFileKey();
  }
  std::unique_ptr<Connection> connection = CreateEngineFile(path, info, key, settings, [&info](Connection& created) {
    RegisterTextCollation(created, info.sort_order);
    BuildDatabaseCatalog(created);
  }, synced);
  auto hold = std::make_unique<LockFileHold>(path, ShareMode::kShared, true, LockRetry{settings.lock_retry_count, settings.lock_retry_delay_ms});
  PrepareDatabaseConnection(*connection, info, true);
  const std::string connect = key.GetKind() == CipherKey::Kind::kPassword ? ";pwd=" + *parsed.password : std::string();
  return std::make_shared<DatabaseFile>(path, connect, false, std::move(connection), std::move(hold), info, EncryptionOf(key));
}

}  // namespace qb::jet
