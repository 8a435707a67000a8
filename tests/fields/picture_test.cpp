// Pictures in blob fields: the kind of file detected in the order bitmap, metafile, icon, then
// PNG, JPEG and GIF; a stored bitmap drawing the same pixels when read back; metafiles and
// unknown values leaving the picture as it was.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cstring>
#include <string>

#include "fields/dao_blob_field.h"
#include "fields/dao_picture.h"
#include "fields/fields_fixture.h"

namespace qb::test {
namespace {

// A read-only stream over bytes held in memory.
class BytesStream : public TBlobStream {
 public:
  explicit BytesStream(std::string bytes) : bytes_(std::move(bytes)) {}
  std::int64_t Read(void* buffer, std::int64_t count) override {
    const std::int64_t n = std::min<std::int64_t>(count, Size() - at_);
    if (n <= 0) return 0;
    std::memcpy(buffer, bytes_.data() + at_, static_cast<size_t>(n));
    at_ += n;
    return n;
  }
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override {
    const std::int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? at_ : Size();
    return at_ = std::clamp<std::int64_t>(base + offset, 0, Size());
  }
  std::int64_t Size() const override { return static_cast<std::int64_t>(bytes_.size()); }
  void Close() override {}

 private:
  std::string bytes_;
  std::int64_t at_ = 0;
};

QImage TestImage() {
  QImage image(7, 5, QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(x * 36, y * 50, (x + y) * 20));
  return image;
}

std::string Encoded(const QImage& image, const char* format) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, format)) << format;
  return bytes.toStdString();
}

std::string Le32(std::uint32_t v) {
  return std::string{static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                     static_cast<char>(v >> 24)};
}

// A 1 x 1 GIF (Qt reads GIF but does not write it).
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                       "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02" "D\x01\x00;",
                       43);

std::string EnhancedMetafileHeader() {
  std::string bytes = Le32(1) + std::string(36, '\x05') + Le32(0x464D4520);
  bytes.resize(120, '\x07');
  return bytes;
}

TEST(DetectGraphicKindTest, KindsInTheirOrderAndThePositionKept) {
  const std::string placeable = Le32(0x9AC6CDD7) + std::string(30, '\x11');
  // Ten words whose exclusive-or is 0x0102, then that word: a header without the key.
  std::string checksummed = std::string("\x02\x01", 2) + std::string(18, '\x00') + std::string("\x02\x01", 2) + "zz";
  const struct {
    const char* name;
    std::string bytes;
    TGraphicKind kind;
  } cases[] = {
      {"bitmap", "BM" + std::string(13, 'x'), gkBitmap},
      {"bitmap too short", "BM" + std::string(12, 'x'), gkNone},  // 14 bytes; offset 2 is "xx"
      {"enhanced metafile", EnhancedMetafileHeader(), gkMetafile},
      {"placeable metafile", placeable, gkMetafile},
      {"metafile by checksum", checksummed, gkMetafile},
      {"icon", std::string("\x00\x00\x01\x00\x01\x00\x10", 7), gkIcon},
      {"icon too short", std::string("\x00\x00\x01\x00\x01\x00", 6), gkNone},
      {"png", Encoded(TestImage(), "PNG"), gkImage},
      {"jpeg", Encoded(TestImage(), "JPEG"), gkImage},
      {"gif", kGif, gkImage},
      {"text", "plain text, not a picture", gkNone},
      {"empty", "", gkNone},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    BytesStream stream("pre" + c.bytes);
    stream.Seek(3, soBeginning);
    EXPECT_EQ(DetectGraphicKind(stream), c.kind);
    EXPECT_EQ(stream.Seek(0, soCurrent), 3);
  }
}

class PictureFieldTest : public FieldsLayerTest {
 protected:
  void SetUp() override {
    FieldsLayerTest::SetUp();
    Exec("CREATE TABLE Pics (Id COUNTER CONSTRAINT PK PRIMARY KEY, Pic LONGBINARY)");
    Exec("INSERT INTO Pics (Pic) VALUES (Null)");
    rs_ = OpenTable("Pics");
    field_ = qobject_cast<TDAOBlobField*>(rs_->FieldByName("Pic"));
    ASSERT_NE(field_, nullptr);
  }
  void StoreBytes(const std::string& bytes) {
    rs_->Edit();
    field_->SetAsString(bytes);
    rs_->Post();
  }
  std::unique_ptr<TDAORecordset> rs_;
  TDAOBlobField* field_ = nullptr;
};

TEST_F(PictureFieldTest, AStoredBitmapDrawsTheSamePixels) {
  TPicture picture;
  picture.SetGraphic(TGraphic::FromImage(TestImage()));
  rs_->Edit();
  field_->Assign(picture);
  rs_->Post();
  EXPECT_EQ(field_->AsString().substr(0, 2), "BM");  // a plain bitmap file

  TPicture loaded;
  ASSERT_TRUE(field_->AssignTo(loaded));
  EXPECT_EQ(loaded.Graphic().Kind(), gkBitmap);
  EXPECT_EQ(loaded.Image().convertToFormat(QImage::Format_RGB32), TestImage());
}

TEST_F(PictureFieldTest, IconsAndImageFilesLoadAsPictures) {
  const struct {
    const char* name;
    std::string bytes;
    TGraphicKind kind;
    QSize size;
  } cases[] = {
      {"icon", Encoded(TestImage(), "ICO"), gkIcon, QSize(7, 5)},
      {"png", Encoded(TestImage(), "PNG"), gkImage, QSize(7, 5)},
      {"jpeg", Encoded(TestImage(), "JPEG"), gkImage, QSize(7, 5)},
      {"gif", kGif, gkImage, QSize(1, 1)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    StoreBytes(c.bytes);
    TPicture picture;
    ASSERT_TRUE(field_->AssignTo(picture));
    EXPECT_EQ(picture.Graphic().Kind(), c.kind);
    EXPECT_EQ(picture.Image().size(), c.size);
    if (c.kind != gkIcon && std::string(c.name) == "png") {
      EXPECT_EQ(picture.Image().convertToFormat(QImage::Format_RGB32), TestImage());
    }
    // Stored again as it was read: the same file.
    rs_->Edit();
    field_->Assign(picture);
    rs_->Post();
    EXPECT_EQ(field_->AsString(), c.bytes);
  }
}

TEST_F(PictureFieldTest, MetafilesAndUnknownValuesLeaveThePictureAsItWas) {
  TPicture picture;
  picture.SetGraphic(TGraphic::FromImage(TestImage()));
  for (const std::string& bytes : {EnhancedMetafileHeader(), std::string("neither a bitmap nor anything else"),
                                   "BM" + std::string(40, '\x01'), std::string()}) {
    SCOPED_TRACE(bytes.substr(0, 8));
    StoreBytes(bytes);
    EXPECT_FALSE(field_->AssignTo(picture));
    EXPECT_EQ(picture.Graphic().Kind(), gkBitmap);
    EXPECT_EQ(picture.Image(), TestImage());
  }
  // An empty picture empties the value.
  rs_->Edit();
  field_->Assign(TPicture());
  rs_->Post();
  EXPECT_TRUE(field_->IsNull());
}

}  // namespace
}  // namespace qb::test
