// framework/data/blob_field: blob, memo and graphic fields over the dataset's blob stream.
#include "framework/data/blob_field.h"

#include "framework/data/data_errors.h"
#include "framework/data/dataset.h"

namespace qb {

std::vector<std::uint8_t> TBlobField::AsBytes() const {
  if (IsNull()) return {};
  std::unique_ptr<TBlobStream> stream = DataSet()->CreateBlobStream(const_cast<TBlobField*>(this), bmRead);
  std::vector<std::uint8_t> bytes(static_cast<size_t>(stream->Size()));
  std::int64_t got = bytes.empty() ? 0 : stream->Read(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  bytes.resize(static_cast<size_t>(got));
  stream->Close();
  return bytes;
}

void TBlobField::SetAsBytes(const std::vector<std::uint8_t>& bytes) {
  if (!DataSet()) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  std::unique_ptr<TBlobStream> stream = DataSet()->CreateBlobStream(this, bmWrite);
  if (!bytes.empty()) stream->Write(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream->Close();
}

std::string TBlobField::AsString() const {
  std::vector<std::uint8_t> bytes = AsBytes();
  return std::string(bytes.begin(), bytes.end());
}

void TBlobField::SetAsString(const std::string& value) {
  SetAsBytes(std::vector<std::uint8_t>(value.begin(), value.end()));
}

Variant TBlobField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant::FromBytes(AsBytes());
}

void TBlobField::SetVariantValue(const Variant& value) {
  if (value.Type() == VarType::ByteArray)
    SetAsBytes(value.Bytes());
  else
    SetAsString(value.ToString());
}

std::string TBlobField::GetText(bool) const { return IsNull() ? std::string() : "(BLOB)"; }

Variant TMemoField::AsVariant() const {
  if (IsNull()) return Variant::Null();
  return Variant(AsString());
}

std::string TMemoField::GetText(bool) const { return AsString(); }

std::string TGraphicField::GetText(bool) const { return IsNull() ? std::string() : "(GRAPHIC)"; }

}  // namespace qb
