// framework/data/blob_stream: the stream a dataset hands out for a blob field's value (blob,
// memo, graphic). The dataset's descendant implements it; blob fields read and write through it.
#pragma once
#include <cstdint>

namespace qb {

enum TBlobStreamMode { bmRead, bmWrite, bmReadWrite };
enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// A byte stream over one field of one record buffer. A stream opened with bmWrite starts
// empty (it replaces the value). What was written reaches the record buffer by Close (which
// may raise, and then tells the dataset the field changed); destroying an unclosed stream
// closes it and swallows failures.
class TBlobStream {
 public:
  virtual ~TBlobStream() = default;
  // Bytes read into BUFFER (at most COUNT; 0 at the end).
  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  // Bytes written from BUFFER; raises EDatabaseError for a stream opened with bmRead.
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  // The new position; clamped to 0 .. Size().
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size() const = 0;
  virtual void Close() = 0;
};

}  // namespace qb
