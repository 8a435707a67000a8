// The controls of one field: edit, memo, rich edit, check box and image. What each shows
// (values, Null against an empty text), how typing enters edit state, Enter and Escape, the
// refusals of read-only fields, controls and datasets, and what reaches the record.
#include <QBuffer>
#include <QPainter>
#include <QTest>
#include <QTextDocument>

#include "controls_fixture.h"
#include "framework/controls/db_check_box.h"
#include "framework/controls/db_edit.h"
#include "framework/controls/db_image.h"
#include "framework/controls/db_memo.h"
#include "framework/controls/db_rich_edit.h"
#include "framework/data/blob_field.h"

namespace qb::testing {
namespace {

MemValue EncodeBool(bool value) { return std::vector<std::uint8_t>{static_cast<std::uint8_t>(value ? 1 : 0), 0}; }
MemValue EncodeBytes(const std::string& bytes) { return std::vector<std::uint8_t>(bytes.begin(), bytes.end()); }

std::string PngOf(const QColor& color, int width, int height) {
  QPixmap pixmap(width, height);
  pixmap.fill(color);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  pixmap.save(&buffer, "PNG");
  return bytes.toStdString();
}

// Rows: 1 with values everywhere, 2 with no values, 3 with empty texts and bytes that are no
// picture.
class FieldControlsTest : public ControlsTest {
 protected:
  void SetUp() override {
    ControlsTest::SetUp();
    ds = std::make_unique<TMemoryDataSet>(std::vector<MemColumn>{{"ID", ftInteger},
                                                                 {"Name", ftString, 10},
                                                                 {"Qty", ftInteger},
                                                                 {"Body", ftMemo},
                                                                 {"Flag", ftBoolean},
                                                                 {"Pic", ftGraphic}});
    ds->AddRow({EncodeInt(1), EncodeText("Alpha", 10), EncodeInt(7), EncodeBytes("line one\nline two"),
                EncodeBool(true), EncodeBytes(PngOf(Qt::red, 20, 10))});
    ds->AddRow({EncodeInt(2), std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt});
    ds->AddRow({EncodeInt(3), EncodeText("", 10), EncodeInt(0), EncodeBytes(""), EncodeBool(false),
                EncodeBytes("not a picture")});
    source.SetDataSet(ds.get());
    ds->Open();
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  }
  void TearDown() override {
    qDeleteAll(window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
    ControlsTest::TearDown();
  }
  template <class Control>
  Control* Make(const char* field) {
    auto* control = new Control(&window);
    control->SetDataSource(&source);
    control->SetDataField(field);
    control->show();
    return control;
  }
  std::string Stored(std::int32_t id, size_t column) { return StoredText(*ds, id, column); }

  QWidget window;
};

TEST_F(FieldControlsTest, EditShowsValuesAndNullDistinctly) {
  auto* edit = Make<TDBEdit>("Name");
  struct Case {
    int rec_no;
    const char* text;
    const char* placeholder;
  };
  const Case cases[] = {{1, "Alpha", ""}, {2, "", "(Null)"}, {3, "", ""}};
  for (const Case& c : cases) {
    ds->SetRecNo(c.rec_no);
    SCOPED_TRACE(c.rec_no);
    EXPECT_EQ(edit->text().toStdString(), c.text);
    EXPECT_EQ(edit->placeholderText().toStdString(), c.placeholder);
  }
  ds->Close();
  EXPECT_EQ(edit->text().toStdString(), "");
  EXPECT_EQ(edit->Field(), nullptr);
}

TEST_F(FieldControlsTest, EditTypingEditsAndEnterPosts) {
  auto* edit = Make<TDBEdit>("Name");
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "Beta");
  EXPECT_EQ(ds->State(), dsEdit);
  QTest::keyClick(edit, Qt::Key_Return);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Stored(1, 1), "Beta");
  EXPECT_TRUE(errors.empty());
}

TEST_F(FieldControlsTest, EditEscapeDropsTheTypingThenCancels) {
  auto* edit = Make<TDBEdit>("Name");
  edit->setFocus();
  QTest::keyClicks(edit, "xx");
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(edit->text().toStdString(), "Alpha");
  EXPECT_EQ(ds->State(), dsEdit);
  QTest::keyClick(edit, Qt::Key_Escape);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(Stored(1, 1), "Alpha");
}

TEST_F(FieldControlsTest, EditLeavingWritesTheValueIntoTheRecord) {
  auto* edit = Make<TDBEdit>("Name");
  auto* other = Make<TDBEdit>("ID");
  edit->setFocus();
  edit->selectAll();
  QTest::keyClicks(edit, "Gamma");
  other->setFocus();
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(ds->FieldByName("Name")->AsString(), "Gamma");
  EXPECT_EQ(Stored(1, 1), "Alpha");
}

TEST_F(FieldControlsTest, EditRefusesWhatTheFieldOrDatasetRefuses) {
  struct Case {
    const char* field;
    const char* typed;
    bool control_read_only;
    bool dataset_read_only;
    bool field_read_only;
    const char* text_after;
    TDataSetState state_after;
  };
  const Case cases[] = {
      {"Qty", "a", false, false, false, "7", dsBrowse},   // letters are no integer's characters
      {"Qty", "5", false, false, false, "75", dsEdit},
      {"Name", "z", true, false, false, "Alpha", dsBrowse},
      {"Name", "z", false, true, false, "Alpha", dsBrowse},
      {"Name", "z", false, false, true, "Alpha", dsBrowse},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + c.typed);
    auto* edit = Make<TDBEdit>(c.field);
    edit->SetReadOnly(c.control_read_only);
    ds->read_only = c.dataset_read_only;
    ds->FieldByName(c.field)->SetReadOnly(c.field_read_only);
    edit->DataLink().Reset();
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, c.typed);
    EXPECT_EQ(edit->text().toStdString(), c.text_after);
    EXPECT_EQ(ds->State(), c.state_after);
    ds->Cancel();
    ds->read_only = false;
    ds->FieldByName(c.field)->SetReadOnly(false);
    delete edit;
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(FieldControlsTest, EditMaskShapesTheWrittenText) {
  auto* edit = Make<TDBEdit>("Name");
  edit->SetEditMask("999-999;_");
  edit->setFocus();
  edit->setCursorPosition(0);
  QTest::keyClicks(edit, "123456");
  QTest::keyClick(edit, Qt::Key_Enter);
  EXPECT_EQ(Stored(1, 1), "123-456");
}

TEST_F(FieldControlsTest, EditOfAValueTheFieldRejectsKeepsTheRecordInEdit) {
  auto* edit = Make<TDBEdit>("Name");
  edit->setFocus();
  edit->end(false);
  QTest::keyClicks(edit, "_far_too_long");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_EQ(Stored(1, 1), "Alpha");
}

TEST_F(FieldControlsTest, MemoEditsLinesAndCtrlEnterPosts) {
  auto* memo = Make<TDBMemo>("Body");
  EXPECT_EQ(memo->toPlainText().toStdString(), "line one\nline two");
  ds->SetRecNo(2);
  EXPECT_EQ(memo->placeholderText().toStdString(), "(Null)");
  ds->SetRecNo(3);
  EXPECT_EQ(memo->placeholderText().toStdString(), "");
  memo->setFocus();
  QTest::keyClicks(memo, "a");
  QTest::keyClick(memo, Qt::Key_Return);
  QTest::keyClicks(memo, "b");
  EXPECT_EQ(ds->State(), dsEdit);
  QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(ds->FieldByName("Body")->AsString(), "a\nb");

  ds->read_only = true;
  memo->DataLink().Reset();
  QTest::keyClicks(memo, "c");
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(memo->toPlainText().toStdString(), "a\nb");
}

TEST_F(FieldControlsTest, RichEditKeepsItsDocumentAsMarkup) {
  auto* rich = Make<TDBRichEdit>("Body");
  EXPECT_EQ(rich->toPlainText().toStdString(), "line one\nline two");
  rich->setFocus();
  rich->moveCursor(QTextCursor::End);
  QTest::keyClicks(rich, "!");
  QTest::keyClick(rich, Qt::Key_Return, Qt::ControlModifier);
  EXPECT_EQ(ds->State(), dsBrowse);
  const QString stored = QString::fromStdString(ds->FieldByName("Body")->AsString());
  EXPECT_TRUE(Qt::mightBeRichText(stored));
  // Read back, the markup shows as the same text.
  ds->Next();
  ds->Prior();
  EXPECT_EQ(rich->toPlainText().toStdString(), "line one\nline two!");
}

TEST_F(FieldControlsTest, CheckBoxShowsNullAsPartlyCheckedAndWritesAtOnce) {
  auto* box = Make<TDBCheckBox>("Flag");
  const Qt::CheckState shown[] = {Qt::Checked, Qt::PartiallyChecked, Qt::Unchecked};
  for (int rec_no = 1; rec_no <= 3; ++rec_no) {
    ds->SetRecNo(rec_no);
    EXPECT_EQ(box->checkState(), shown[rec_no - 1]) << rec_no;
  }
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
  EXPECT_EQ(ds->State(), dsEdit);
  EXPECT_TRUE(ds->FieldByName("Flag")->AsBoolean());
  ds->Post();

  box->SetReadOnly(true);
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_EQ(box->checkState(), Qt::Checked);
}

TEST_F(FieldControlsTest, ImageShowsPicturesAndNothingElse) {
  auto* image = Make<TDBImage>("Pic");
  EXPECT_EQ(image->Picture().size(), QSize(20, 10));
  ds->SetRecNo(2);
  EXPECT_TRUE(image->Picture().isNull());
  ds->SetRecNo(3);
  EXPECT_TRUE(image->Picture().isNull());
  image->grab();  // paints "(No picture)" without failing
  EXPECT_TRUE(errors.empty());
}

TEST_F(FieldControlsTest, ImageDeleteClearsAndAPastedPictureIsStored) {
  auto* image = Make<TDBImage>("Pic");
  image->setFocus();
  QTest::keyClick(image, Qt::Key_Delete);
  EXPECT_EQ(ds->State(), dsEdit);
  QTest::keyClick(image, Qt::Key_Return);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_TRUE(ds->FieldByName("Pic")->IsNull());

  QPixmap blue(8, 6);
  blue.fill(Qt::blue);
  ASSERT_TRUE(image->SetPicture(blue));
  QTest::keyClick(image, Qt::Key_Enter);
  QPixmap stored;
  const auto bytes = qobject_cast<TBlobField*>(ds->FieldByName("Pic"))->AsBytes();
  ASSERT_TRUE(stored.loadFromData(bytes.data(), static_cast<uint>(bytes.size())));
  EXPECT_EQ(stored.size(), QSize(8, 6));

  ds->read_only = true;
  image->DataLink().Reset();
  EXPECT_FALSE(image->SetPicture(blue));
  QTest::keyClick(image, Qt::Key_Delete);
  EXPECT_EQ(ds->State(), dsBrowse);
  EXPECT_FALSE(image->Picture().isNull());
}

}  // namespace
}  // namespace qb::testing
