// framework/data/blob_field: the fields whose values live outside the record buffer (blob,
// memo, graphic): the buffer only says whether there is a value; the bytes travel through the
// dataset's blob stream.
#pragma once
#include <cstdint>
#include <vector>

#include "framework/data/field.h"

namespace qb {

// Binary value. AsString gives the bytes; AsVariant a byte array (Null without a value);
// DisplayText "(BLOB)" for a value, "" without.
class TBlobField : public TField {
  Q_OBJECT
 public:
  explicit TBlobField(QObject* owner = nullptr) : TField(owner, ftBlob, 0) {}
  int DataSize() const override { return 0; }
  std::vector<std::uint8_t> AsBytes() const;
  void SetAsBytes(const std::vector<std::uint8_t>& bytes);
  std::string AsString() const override;
  void SetAsString(const std::string& value) override;
  Variant AsVariant() const override;

 protected:
  TBlobField(QObject* owner, TFieldType type) : TField(owner, type, 0) {}
  std::string GetText(bool display) const override;
  void SetVariantValue(const Variant& value) override;
};

// Text value: Text and DisplayText are the text itself; AsVariant a string.
class TMemoField : public TBlobField {
  Q_OBJECT
 public:
  explicit TMemoField(QObject* owner = nullptr) : TBlobField(owner, ftMemo) {}
  Variant AsVariant() const override;

 protected:
  std::string GetText(bool display) const override;
};

// A picture's bytes; shown as "(GRAPHIC)".
class TGraphicField : public TBlobField {
  Q_OBJECT
 public:
  explicit TGraphicField(QObject* owner = nullptr) : TBlobField(owner, ftGraphic) {}

 protected:
  std::string GetText(bool display) const override;
};

}  // namespace qb
