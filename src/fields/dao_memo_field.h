// fields/dao_memo_field: TDAOMemoField, the field of engine memo columns: text (UTF-8) kept
// with the engine and read and written through the blob stream.
#pragma once
#include "fields/dao_blob_field.h"

namespace qb {

class TDAOMemoField : public TDAOBlobField {
  Q_OBJECT

 public:
  explicit TDAOMemoField(QObject* owner = nullptr) : TDAOBlobField(owner, ftMemo) {}
  // Texts pass as they are: the engine and the program both hold UTF-8.
  bool Transliterate() const { return transliterate_; }
  void SetTransliterate(bool value) { transliterate_ = value; }
  // A text variant; Null without a value.
  Variant AsVariant() const override;

 protected:
  // The text itself.
  std::string GetText(bool display) const override;

 private:
  bool transliterate_ = true;
};

}  // namespace qb
