// fields/dao_blob_field: TDAOBlobField, the field of engine long binary columns (and the other
// binary blob kinds), which stores and loads pictures in their own file formats.
#pragma once
#include "fields/dao_picture.h"
#include "framework/data/blob_field.h"

namespace qb {

class TDAOBlobField : public TBlobField {
  Q_OBJECT

 public:
  explicit TDAOBlobField(QObject* owner = nullptr) : TBlobField(owner) {}

  // Stores the graphic (of the picture) as its file's bytes, through a write stream of the
  // dataset: a bitmap, metafile or icon file, or the PNG, JPEG or GIF file it was read from. An
  // empty graphic empties the value. The dataset must be editing (the framework's refusals).
  void Assign(const TGraphic& graphic);
  void Assign(const TPicture& picture) { Assign(picture.Graphic()); }
  // Loads PICTURE from the value by the kind of file it holds (DetectGraphicKind) and answers
  // whether it did. A metafile (which Qt cannot draw), an unknown kind or a file Qt cannot
  // decode leave PICTURE unchanged.
  bool AssignTo(TPicture& picture) const;

 protected:
  TDAOBlobField(QObject* owner, TFieldType type) : TBlobField(owner, type) {}
};

}  // namespace qb
