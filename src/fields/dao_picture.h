// fields/dao_picture: the pictures blob fields store and load: a graphic is the bytes of a
// picture file (bitmap, metafile, icon, or a PNG, JPEG or GIF image) with the image Qt decodes
// from them, and a picture holds one graphic.
#pragma once
#include <QByteArray>
#include <QImage>

namespace qb {

class TBlobStream;

enum TGraphicKind { gkNone, gkBitmap, gkMetafile, gkIcon, gkImage };

class TGraphic {
 public:
  TGraphic() = default;
  // A bitmap of IMAGE (kept as a BMP file); an empty graphic for a null image.
  static TGraphic FromImage(const QImage& image);
  // The graphic of a file of KIND holding BYTES. Metafiles keep their bytes with no image (Qt
  // cannot draw them); for the other kinds an empty graphic when Qt cannot decode BYTES.
  static TGraphic FromFile(TGraphicKind kind, const QByteArray& bytes);

  TGraphicKind Kind() const { return kind_; }
  bool Empty() const { return kind_ == gkNone; }
  // The file's bytes, as they are stored.
  const QByteArray& Data() const { return data_; }
  // The decoded image; null for none and for metafiles.
  const QImage& Image() const { return image_; }
  // Writes the file's bytes to STREAM.
  void SaveToStream(TBlobStream& stream) const;

 private:
  TGraphicKind kind_ = gkNone;
  QByteArray data_;
  QImage image_;
};

class TPicture {
 public:
  const TGraphic& Graphic() const { return graphic_; }
  void SetGraphic(TGraphic graphic) { graphic_ = std::move(graphic); }
  // The image shown (null without one).
  const QImage& Image() const { return graphic_.Image(); }
  void Clear() { graphic_ = TGraphic(); }

 private:
  TGraphic graphic_;
};

// The kind of picture file at STREAM's position, which is left where it was: bitmap ("BM"
// with at least 15 bytes), enhanced or placeable metafile, icon (a 16-bit value below 2 at
// offset 2, at least 7 bytes), in that order; then PNG, JPEG and GIF by their signatures;
// gkNone for anything else.
TGraphicKind DetectGraphicKind(TBlobStream& stream);

}  // namespace qb
