// Files dropped from the desktop shell on the data-access image, memo and rich edit: the
// control shows the file and a blob field takes its bytes, written with the record; nothing
// happens on a dataset that cannot be changed, for a web address, or for an unreadable file.
#include <QBuffer>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <gtest/gtest.h>

#include "controls/dao_image.h"
#include "controls/dao_memo.h"
#include "controls/dao_rich_edit.h"
#include "dao_controls_fixture.h"
#include "framework/data/memory_dataset.h"
#include "framework/gui/application.h"

namespace qb::test {
namespace {

class FileDropTest : public DaoControlsTest {
 protected:
  void SetUp() override {
    DaoControlsTest::SetUp();
    FillPeople(3);
  }
  std::string WriteFile(const char* name, const QByteArray& bytes) {
    const std::string path = dir_.File(name);
    QFile file(QString::fromStdString(path));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  // Drops URL on TARGET as the shell does; answers whether the drop was accepted.
  static bool Drop(QWidget* target, const QUrl& url) {
    QMimeData data;
    data.setUrls({url});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
    return event.isAccepted();
  }
  static QUrl Local(const std::string& path) { return QUrl::fromLocalFile(QString::fromStdString(path)); }
};

TEST_F(FileDropTest, ABlobFieldTakesTheDroppedFileItself) {
  QImage picture(8, 6, QImage::Format_RGB32);
  picture.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  picture.save(&buffer, "PNG");
  const std::string picture_file = WriteFile("red.png", png);
  const QByteArray html = "<html><body><b>bold</b> words</body></html>";
  const std::string html_file = WriteFile("notes.html", html);

  using namespace qb::testing;
  TMemoryDataSet ds({{"ID", ftInteger}, {"Photo", ftBlob}, {"Notes", ftMemo}});
  ds.AddRow({EncodeInt(1), std::nullopt, std::nullopt});
  TDataSource source;
  source.SetDataSet(&ds);
  ds.Open();
  TDAOImage image;
  TDAORichEdit rich;
  image.SetDataSource(&source);
  image.SetDataField("Photo");
  rich.SetDataSource(&source);
  rich.SetDataField("Notes");

  EXPECT_TRUE(Drop(&image, Local(picture_file)));
  EXPECT_EQ(ds.State(), dsEdit);  // browse turned into edit
  EXPECT_EQ(image.Picture().size(), QSize(8, 6));
  EXPECT_TRUE(Drop(rich.viewport(), Local(html_file)));
  EXPECT_EQ(rich.toPlainText(), "bold words");
  ds.Post();
  // The file's own bytes are stored, not the control's rendering of them.
  EXPECT_EQ(ds.Rows()[0].values[1], MemValue(std::vector<std::uint8_t>(png.begin(), png.end())));
  EXPECT_EQ(ds.Rows()[0].values[2], MemValue(std::vector<std::uint8_t>(html.begin(), html.end())));
  source.SetDataSet(nullptr);
}

TEST_F(FileDropTest, ATextFieldTakesTheFileAsTypedText) {
  const std::string text_file = WriteFile("city.txt", "Paris");
  TDAORecordset& rs = OpenPeople();
  TDAOMemo memo;
  memo.SetDataSource(&source_);
  memo.SetDataField("City");
  EXPECT_TRUE(Drop(memo.viewport(), Local(text_file)));
  EXPECT_EQ(memo.toPlainText(), "Paris");
  EXPECT_EQ(rs.State(), dsEdit);
  rs.Post();
  EXPECT_EQ(Column("People", "City", "Name"), "Paris,CityBe,CityCa");
  // A web address is never fetched: its text is dropped as text, editing the record first.
  rs.Next();
  Drop(memo.viewport(), QUrl("http://example.invalid/x"));
  EXPECT_EQ(rs.State(), dsEdit);
  EXPECT_TRUE(memo.toPlainText().contains("http://example.invalid/x"));
  rs.Post();
  EXPECT_EQ(Column("People", "City", "Name"), "Paris,http://example.invalid/xCityBe,CityCa");
}

TEST_F(FileDropTest, NothingIsDroppedWhereTheRecordCannotChange) {
  const std::string text_file = WriteFile("notes.txt", "dropped");
  std::vector<std::string> errors;
  App().OnException = [&](const std::exception& e) { errors.push_back(e.what()); };
  struct Case {
    const char* what;
    TLockStrategies lock;
    QUrl url;
  } cases[] = {
      {"read-only dataset", lkReadOnly, Local(text_file)},
      {"missing file", lkOptimistic, Local(dir_.File("missing.txt"))},
  };
  for (const Case& c : cases) {
    TDAORecordset& rs = OpenPeople(rtTable, "People", "ByName", c.lock);
    TDAOMemo memo;
    memo.SetDataSource(&source_);
    memo.SetDataField("City");
    Drop(memo.viewport(), c.url);
    EXPECT_EQ(memo.toPlainText(), "CityAl") << c.what;
    TDAOImage image;
    image.SetDataSource(&source_);
    image.SetDataField("Photo");
    EXPECT_EQ(Drop(&image, c.url), c.lock != lkReadOnly) << c.what;
    EXPECT_TRUE(image.Picture().isNull()) << c.what;
    if (rs.State() != dsBrowse) rs.Cancel();
  }
  App().OnException = nullptr;
  // Only the missing file is an error worth telling.
  ASSERT_EQ(errors.size(), 2u);
  EXPECT_NE(errors[0].find("missing.txt"), std::string::npos);
}

}  // namespace
}  // namespace qb::test
