// fields/dao_blob_stream: reading and writing engine long values, and the media blob files.
#include "fields/dao_blob_stream.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "jet/recordset/recordset.h"
#include "recordset/dao_base_recordset.h"

namespace qb {

namespace {

constexpr int kLongBinary = 11;
constexpr int kMemo = 12;
constexpr size_t kMaxSafeExtension = 16;

std::string TrimDots(std::string text) {
  const size_t first = text.find_first_not_of('.');
  if (first == std::string::npos) return {};
  const size_t last = text.find_last_not_of('.');
  return text.substr(first, last - first + 1);
}

// The extension of a file name: from its last dot on, in the last path component only.
std::string FileExtension(const std::string& file_name) {
  const size_t slash = file_name.find_last_of('/');
  const size_t dot = file_name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  return file_name.substr(dot);
}

// A stored extension becomes part of a file name only when it is plain letters and digits: it
// comes from the database and could otherwise hold "/" or "..".
std::string SafeExtension(const std::string& stored) {
  const std::string text = TrimDots(stored);
  const bool plain = !text.empty() && text.size() <= kMaxSafeExtension &&
                     std::all_of(text.begin(), text.end(), [](char c) {
                       return std::isalnum(static_cast<unsigned char>(c)) != 0 && static_cast<unsigned char>(c) < 0x80;
                     });
  return plain ? text : std::string("bin");
}

// This process's own folders below the folders it extracts to; removed at exit.
std::map<std::string, std::unique_ptr<QTemporaryDir>>& PrivateFolders() {
  static std::map<std::string, std::unique_ptr<QTemporaryDir>> folders;
  return folders;
}

// The private folder below PARENT, made on first use with owner-only access.
std::string PrivateFolder(std::string parent) {
  if (parent.empty()) parent = QDir::tempPath().toStdString();
  while (parent.size() > 1 && parent.back() == '/') parent.pop_back();
  std::unique_ptr<QTemporaryDir>& folder = PrivateFolders()[parent];
  if (!folder || !folder->isValid() || !QDir(folder->path()).exists()) {
    folder = std::make_unique<QTemporaryDir>(QString::fromStdString(parent + "/quillbase-XXXXXX"));
    if (!folder->isValid()) {
      const std::string reason = folder->errorString().toStdString();
      folder.reset();
      throw EFCreateError("Cannot create a private folder in \"" + parent + "\": " + reason);
    }
  }
  return folder->path().toStdString();
}

// Writes BYTES to PATH, replacing a file there; never follows a link put in its place.
void WriteWholeFile(const std::string& path, const std::uint8_t* bytes, size_t count) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) throw EFCreateError("Cannot create file \"" + path + "\": " + std::strerror(errno));
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::write(fd, bytes + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const std::string reason = std::strerror(errno);
      ::close(fd);
      throw EFCreateError("Cannot write file \"" + path + "\": " + reason);
    }
    done += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) throw EFCreateError("Cannot write file \"" + path + "\": " + std::strerror(errno));
}

}  // namespace

TDAOBlobStream::TDAOBlobStream(TDAOBaseRecordset* recordset, TBlobStreamMode mode,
                               std::shared_ptr<jet::RecordsetField> engine_field, TField* field)
    : recordset_(recordset), engine_field_(std::move(engine_field)), field_(field), mode_(mode) {
  if (engine_field_ != nullptr) {
    type_ = CallEngine(recordset_, "TDAOBlobStream.Create", [&] { return engine_field_->Type(); });
  }
  if (engine_field_ != nullptr && recordset_ != nullptr && recordset_->CursorIsOpen() && !recordset_->IsJetEmpty() &&
      recordset_->State() != dsInsert) {
    size_ = CallEngine(recordset_, "TDAOBlobStream.Create", [&] { return engine_field_->FieldSize(); });
    if (size_ < 0) size_ = 0;
  }
  if (mode_ == bmWrite) Truncate();
}

TDAOBlobStream::~TDAOBlobStream() {
  try {
    Close();
  } catch (...) {
    // A destructor cannot report; Close raises for callers that close themselves.
  }
}

void TDAOBlobStream::Truncate() {
  if (engine_field_ == nullptr || recordset_ == nullptr || (type_ != kLongBinary && type_ != kMemo)) return;
  if (!CallEngine(recordset_, "TDAOBlobStream.Truncate", [&] { return engine_field_->DataUpdatable(); })) return;
  // The size of a record being inserted counts as 0, yet its pending value may hold what an
  // earlier stream wrote: that must go too, or the next write would append to it.
  const bool has_value =
      size_ > 0 || (recordset_->State() == dsInsert && CallEngine(recordset_, "TDAOBlobStream.Truncate", [&] {
                      return engine_field_->FieldSize();
                    }) > 0);
  if (!has_value) return;
  recordset_->EnsureEditMode();
  // A memo is emptied to Null too, not to a zero-length text: a table refuses those unless its
  // field allows them, and the record could then never be posted. The first write replaces
  // the value either way.
  DropMemo();
  CallEngine(recordset_, "TDAOBlobStream.Truncate", [&] { engine_field_->SetValue(Variant::Null()); });
  changed_ = true;
}

std::int64_t TDAOBlobStream::Read(void* buffer, std::int64_t count) {
  if (mode_ == bmWrite) RaiseDAOError(recordset_, ResString(kResStreamInWriteMode), "TDAOBlobStream.Read");
  if (size_ < 1 || engine_field_ == nullptr || count <= 0 || position_ >= size_) return 0;
  if (type_ != kLongBinary && type_ != kMemo) return 0;
  // Only the requested range is copied: reading a value in chunks stays linear in its size.
  // The engine's value may be shorter than the size taken at creation: reading ends with it.
  std::int64_t n = std::min(count, size_ - position_);
  if (type_ == kLongBinary) {
    const Variant& value =
        CallEngine(recordset_, "TDAOBlobStream.Read", [&]() -> const Variant& { return engine_field_->Value(); });
    if (value.Type() != VarType::ByteArray) return 0;
    const std::vector<std::uint8_t>& bytes = value.Bytes();
    n = std::min<std::int64_t>(n, static_cast<std::int64_t>(bytes.size()) - position_);
    if (n <= 0) return 0;
    std::memcpy(buffer, bytes.data() + position_, static_cast<size_t>(n));
  } else {
    if (!HoldMemo()) return 0;
    n = std::min<std::int64_t>(n, static_cast<std::int64_t>(memo_.size()) - position_);
    if (n <= 0) return 0;
    std::memcpy(buffer, memo_.data() + position_, static_cast<size_t>(n));
  }
  position_ += n;
  return n;
}

bool TDAOBlobStream::HoldMemo() {
  if (memo_held_) return true;
  const Variant& value =
      CallEngine(recordset_, "TDAOBlobStream.Read", [&]() -> const Variant& { return engine_field_->Value(); });
  if (value.Type() != VarType::String) return false;
  memo_ = value.ToString();
  memo_held_ = true;
  return true;
}

void TDAOBlobStream::DropMemo() {
  memo_held_ = false;
  std::string().swap(memo_);
}

std::int64_t TDAOBlobStream::Write(const void* buffer, std::int64_t count) {
  if (mode_ == bmRead) RaiseDAOError(recordset_, ResString(kResStreamInReadMode), "TDAOBlobStream.Write");
  if (engine_field_ == nullptr || recordset_ == nullptr || count <= 0) return 0;
  if (type_ != kLongBinary && type_ != kMemo) return 0;
  if (!CallEngine(recordset_, "TDAOBlobStream.Write", [&] { return engine_field_->DataUpdatable(); })) return 0;
  recordset_->EnsureEditMode();
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  const Variant chunk = type_ == kLongBinary
                            ? Variant::FromBytes(std::vector<std::uint8_t>(bytes, bytes + count))
                            : Variant(std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(count)));
  DropMemo();  // what a later read finds is the engine's new value
  CallEngine(recordset_, "TDAOBlobStream.Write", [&] { engine_field_->AppendChunk(chunk); });
  changed_ = true;
  return count;
}

std::int64_t TDAOBlobStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size_;
  // base lies within 0 .. size_, so comparing against the distances cannot overflow.
  if (offset <= -base)
    position_ = 0;
  else if (offset >= size_ - base)
    position_ = size_;
  else
    position_ = base + offset;
  return position_;
}

void TDAOBlobStream::Close() {
  if (!changed_) return;
  changed_ = false;
  if (recordset_ != nullptr && field_ != nullptr) recordset_->BlobValueWritten(field_);
}

void TDAOBlobStream::StoreFile(const std::string& file_name) {
  if (recordset_ == nullptr || engine_field_ == nullptr || type_ != kLongBinary) return;
  if (recordset_->State() == dsBrowse) recordset_->Edit();
  if (recordset_->State() != dsEdit && recordset_->State() != dsInsert) return;
  std::string extension = TrimDots(FileExtension(file_name));
  if (extension.size() > 255) extension.resize(255);
  std::FILE* file = std::fopen(file_name.c_str(), "rb");
  if (file == nullptr) throw EFOpenError("Cannot open file \"" + file_name + "\": " + std::strerror(errno));
  // One array of exactly the value's size, filled in place: the file's bytes are copied once.
  std::vector<std::uint8_t> bytes(1 + extension.size());
  bytes[0] = static_cast<std::uint8_t>(extension.size());
  std::memcpy(bytes.data() + 1, extension.data(), extension.size());
  bool failed = false;
  if (std::fseek(file, 0, SEEK_END) == 0) {
    const long length = std::ftell(file);
    if (length > 0) bytes.reserve(bytes.size() + static_cast<size_t>(length));
    failed = length < 0 || std::fseek(file, 0, SEEK_SET) != 0;
  }
  constexpr size_t kBlock = 1 << 20;
  while (!failed) {
    const size_t at = bytes.size();
    bytes.resize(at + kBlock);
    const size_t got = std::fread(bytes.data() + at, 1, kBlock, file);
    bytes.resize(at + got);
    if (got < kBlock) {
      failed = std::ferror(file) != 0;
      break;
    }
  }
  std::fclose(file);
  if (failed) throw EFOpenError("Cannot read file \"" + file_name + "\"");
  recordset_->EnsureEditMode();
  Variant value = Variant::FromBytes(std::move(bytes));
  CallEngine(recordset_, "TDAOBlobStream.StoreFile", [&] { engine_field_->SetValue(value); });
  changed_ = true;
}

std::string TDAOBlobStream::ExtractToTempFile(const std::string& folder) {
  if (engine_field_ == nullptr || type_ != kLongBinary) return {};
  const Variant& value = CallEngine(recordset_, "TDAOBlobStream.ExtractToTempFile",
                                    [&]() -> const Variant& { return engine_field_->Value(); });
  if (value.Type() != VarType::ByteArray) return {};
  const std::vector<std::uint8_t>& bytes = value.Bytes();
  if (bytes.empty() || static_cast<size_t>(bytes[0]) + 1 > bytes.size()) {
    RaiseDAOError(recordset_,
                  "The value does not hold a stored file: it is too short for the length of its file extension.",
                  "TDAOBlobStream.ExtractToTempFile");
  }
  const size_t n = bytes[0];
  const std::string extension = SafeExtension(std::string(bytes.begin() + 1, bytes.begin() + 1 + static_cast<long>(n)));
  const std::string path = PrivateFolder(folder) + "/daotemp." + extension;
  WriteWholeFile(path, bytes.data() + n + 1, bytes.size() - n - 1);
  return path;
}

void RemoveExtractedFiles() { PrivateFolders().clear(); }

}  // namespace qb
