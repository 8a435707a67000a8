// fields/dao_blob_stream: TDAOBlobStream, the stream over one long binary or memo value of the
// engine record a recordset shows, and the media blob wrapping of a whole file in a long binary
// value (StoreFile, ExtractToTempFile).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/exception.h"
#include "framework/data/blob_stream.h"

namespace qb {

namespace jet {
class RecordsetField;
}  // namespace jet

class TDAOBaseRecordset;
class TField;

// A file that cannot be opened for reading (EFOpenError) or created and written (EFCreateError).
class EFOpenError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EFOpenError"; }
};
class EFCreateError : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const override { return "EFCreateError"; }
};

// Long binary reads take the requested range of the engine's value each time (the stream keeps
// no copy). Memo values pass as their UTF-8 bytes: the engine hands out its text only whole, so
// the first read takes those bytes once and the stream holds them for later reads, until it
// writes. Writes append chunks to the pending engine edit (AppendChunk), so a write-mode stream
// starts by emptying the value. Position and size are those of the value when the stream was
// made: writing changes neither.
//
// Media blob (a long binary value holding a file): byte 0 is N, the length of the file's
// extension; bytes 1..N the extension without its dot; then the file's bytes unchanged.
class TDAOBlobStream : public TBlobStream {
 public:
  // Size: 0 without a recordset or engine field, when the engine recordset is closed or empty,
  // or when the dataset is inserting; else the engine's FieldSize. In bmWrite mode the value is
  // emptied (made Null) at once. FIELD (may be null) is the
  // dataset field told about what was written, when the stream closes.
  TDAOBlobStream(TDAOBaseRecordset* recordset, TBlobStreamMode mode, std::shared_ptr<jet::RecordsetField> engine_field,
                 TField* field = nullptr);
  ~TDAOBlobStream() override;
  TDAOBlobStream(const TDAOBlobStream&) = delete;
  TDAOBlobStream& operator=(const TDAOBlobStream&) = delete;

  // 65204 in bmWrite mode. Bytes read from the position (0 past the end or for other types).
  std::int64_t Read(void* buffer, std::int64_t count) override;
  // 65205 in bmRead mode. COUNT when the bytes went to the engine; 0 without an engine field,
  // for a field that cannot change, and for types other than long binary and memo.
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  // Origin beginning, current or end; the result is kept within 0 .. Size().
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() const override { return size_; }
  // Stores SIZE and touches nothing else.
  void SetSize(std::int64_t size) { size_ = size; }
  // Tells the dataset field about a changed value (once). Raises what the recordset raises.
  void Close() override;

  // Long binary only: puts the dataset into edit state when it browses; then, in edit or insert
  // state, makes the value the media blob of FILE_NAME (extension: the file name's, without
  // dots at its ends, at most 255 characters). EFOpenError when the file cannot be read.
  void StoreFile(const std::string& file_name);
  // Long binary only: writes the file of the media blob to "daotemp.<extension>" in this
  // process's private folder below FOLDER (the system's temporary folder when empty) and
  // answers its name; "" when the value is not a byte array. The private folder is made with
  // owner-only access, once per process and FOLDER, and removed at exit (or by
  // RemoveExtractedFiles); within it a new extraction replaces the previous file of the same
  // extension. An extension that is not 1 to 16 letters and digits becomes "bin". A value too
  // short for its extension raises EDAOError; a file that cannot be written EFCreateError.
  std::string ExtractToTempFile(const std::string& folder = std::string());

 private:
  void Truncate();
  // The engine field's type (11 long binary, 12 memo; 0 without a field).
  int type_ = 0;
  TDAOBaseRecordset* recordset_;
  std::shared_ptr<jet::RecordsetField> engine_field_;
  TField* field_;
  TBlobStreamMode mode_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  bool changed_ = false;  // the engine value was changed through this stream
  // The memo's UTF-8 bytes as the first read found them; dropped when the stream writes.
  std::string memo_;
  bool memo_held_ = false;
  // Holds the memo's bytes unless they are held already; false when the value is no text.
  bool HoldMemo();
  void DropMemo();
};

// Removes the private folders of ExtractToTempFile with every file in them.
void RemoveExtractedFiles();

}  // namespace qb
