// fields/dao_blob_field: pictures in and out of blob fields.
#include "fields/dao_blob_field.h"

#include "framework/data/dataset.h"

namespace qb {

void TDAOBlobField::Assign(const TGraphic& graphic) {
  if (DataSet() == nullptr) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  std::unique_ptr<TBlobStream> stream = DataSet()->CreateBlobStream(this, bmWrite);
  graphic.SaveToStream(*stream);
  stream->Close();
}

bool TDAOBlobField::AssignTo(TPicture& picture) const {
  if (DataSet() == nullptr) DatabaseError(Format(data_msg::kFieldNoDataSet, DisplayName()));
  std::unique_ptr<TBlobStream> stream = DataSet()->CreateBlobStream(const_cast<TDAOBlobField*>(this), bmRead);
  const TGraphicKind kind = DetectGraphicKind(*stream);
  if (kind == gkNone || kind == gkMetafile) return false;
  const std::int64_t at = stream->Seek(0, soCurrent);
  QByteArray bytes(static_cast<qsizetype>(stream->Size() - at), '\0');
  bytes.resize(static_cast<qsizetype>(stream->Read(bytes.data(), bytes.size())));
  stream->Close();
  TGraphic graphic = TGraphic::FromFile(kind, bytes);
  if (graphic.Empty()) return false;
  picture.SetGraphic(std::move(graphic));
  return true;
}

}  // namespace qb
