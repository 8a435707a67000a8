// fields/dao_picture: picture files: their detection and decoding.
#include "fields/dao_picture.h"

#include <QBuffer>
#include <algorithm>

#include "framework/data/blob_stream.h"

namespace qb {

namespace {

std::uint32_t Le32(const QByteArray& bytes, int at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t Le16(const QByteArray& bytes, int at) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
  return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

constexpr std::uint32_t kEnhancedMetafileSignature = 0x464D4520;  // " EMF"
constexpr std::uint32_t kPlaceableMetafileKey = 0x9AC6CDD7;

bool IsMetafile(const QByteArray& head, std::int64_t remaining) {
  if (remaining > 100 && Le32(head, 0) == 1 && Le32(head, 40) == kEnhancedMetafileSignature) return true;
  if (remaining < 23) return false;
  if (Le32(head, 0) == kPlaceableMetafileKey) return true;
  std::uint16_t sum = 0;
  for (int at = 0; at <= 18; at += 2) sum ^= Le16(head, at);
  return sum == Le16(head, 20);
}

const char* QtFormatOf(TGraphicKind kind) {
  switch (kind) {
    case gkBitmap: return "BMP";
    case gkIcon: return "ICO";
    default: return nullptr;  // by the file's own signature
  }
}

}  // namespace

TGraphic TGraphic::FromImage(const QImage& image) {
  TGraphic graphic;
  if (image.isNull()) return graphic;
  QBuffer buffer(&graphic.data_);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP")) return TGraphic();
  graphic.kind_ = gkBitmap;
  graphic.image_ = image;
  return graphic;
}

TGraphic TGraphic::FromFile(TGraphicKind kind, const QByteArray& bytes) {
  TGraphic graphic;
  if (kind == gkNone) return graphic;
  if (kind != gkMetafile) {
    graphic.image_ = QImage::fromData(bytes, QtFormatOf(kind));
    if (graphic.image_.isNull()) return TGraphic();
  }
  graphic.kind_ = kind;
  graphic.data_ = bytes;
  return graphic;
}

void TGraphic::SaveToStream(TBlobStream& stream) const {
  if (!data_.isEmpty()) stream.Write(data_.constData(), data_.size());
}

TGraphicKind DetectGraphicKind(TBlobStream& stream) {
  const std::int64_t at = stream.Seek(0, soCurrent);
  const std::int64_t remaining = stream.Size() - at;
  if (remaining <= 0) return gkNone;
  QByteArray head(static_cast<qsizetype>(std::min<std::int64_t>(remaining, 100)), '\0');
  const std::int64_t got = stream.Read(head.data(), head.size());
  stream.Seek(at, soBeginning);
  head.resize(static_cast<qsizetype>(got));
  // Bytes that could not be read do not count: the tests never look past what was read.
  const std::int64_t available = got == 100 ? remaining : got;
  if (available >= 15 && Le16(head, 0) == 19778) return gkBitmap;
  if (available >= 23 && IsMetafile(head, available)) return gkMetafile;
  if (available >= 7 && Le16(head, 2) < 2) return gkIcon;
  if (head.startsWith("\x89PNG\r\n\x1a\n")) return gkImage;
  if (head.startsWith("\xFF\xD8\xFF")) return gkImage;
  if (head.startsWith("GIF87a") || head.startsWith("GIF89a")) return gkImage;
  return gkNone;
}

}  // namespace qb
