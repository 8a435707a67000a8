// The Relationships window on real files: opened from the database editor, one box per table and
// one line per relationship, moved boxes kept in the file through closing, reopening and
// compacting, a relationship added by SQL shown after Refresh, double-clicks opening the table
// designer or telling a relationship's rules, zoom, export as PNG and SVG, print, and the
// screenshot of the demo tables.
#include <QGraphicsView>
#include <QImage>
#include <QPushButton>
#include <QTest>

#include "app/catalog_window_support.h"
#include "app/dbedit/db_edit_dlg.h"
#include "app/diagram/relationships_window.h"
#include "app/tabledesign/table_design_form.h"
#include "diagram/diagram_render.h"
#include "framework/gui/message_box.h"
#include "jet/dao/tabledef.h"

namespace qb::test {
namespace {

class RelationshipsWindowTest : public CatalogWindowTest {
 protected:
  void SetUp() override {
    CatalogWindowTest::SetUp();
    Sql({"CREATE TABLE Customers (CustomerID COUNTER PRIMARY KEY, Name TEXT(50) NOT NULL, City TEXT(30), "
         "Joined DATETIME, Active YESNO, CreditLimit CURRENCY, Notes MEMO)",
         "CREATE TABLE Products (ProductID COUNTER PRIMARY KEY, ProductName TEXT(40) NOT NULL, UnitPrice CURRENCY, "
         "Discontinued YESNO)",
         "CREATE TABLE Orders (OrderID COUNTER PRIMARY KEY, CustomerID LONG CONSTRAINT OrderCustomer REFERENCES "
         "Customers, ProductID LONG CONSTRAINT OrderProduct REFERENCES Products, Amount CURRENCY, Quantity INTEGER, "
         "Weight DOUBLE, Ordered DATETIME, Shipped YESNO)",
         "CREATE TABLE Settings (Name TEXT(40) PRIMARY KEY, Setting TEXT(255))"});
  }
  std::unique_ptr<TRelationshipsWindow> Window() {
    auto window = std::make_unique<TRelationshipsWindow>(db_.get(), nullptr);
    window->setAttribute(Qt::WA_DeleteOnClose, false);  // the test owns it
    window->show();
    return window;
  }
  static QPointF At(TRelationshipsWindow& window, const char* table) {
    diagram::TableItem* item = window.Scene().FindTable(table);
    EXPECT_NE(item, nullptr) << table;
    return item ? item->pos() : QPointF();
  }
  // Every pair of boxes that overlap, as "A/B ...".
  static std::string Overlaps(TRelationshipsWindow& window) {
    std::string text;
    const auto& tables = window.Scene().Tables();
    for (std::size_t i = 0; i < tables.size(); ++i) {
      for (std::size_t j = i + 1; j < tables.size(); ++j) {
        if (tables[i]->sceneBoundingRect().intersects(tables[j]->sceneBoundingRect())) {
          text += tables[i]->Table().name + "/" + tables[j]->Table().name + " ";
        }
      }
    }
    return text;
  }
};

TEST_F(RelationshipsWindowTest, OpensFromTheEditorWithABoxPerTableAndALinePerRelationship) {
  auto editor = std::make_unique<TDBEditDlg>();
  editor->SetDataBase(db_.get());
  editor->show();
  editor->findChild<QPushButton*>("BtnRelationships")->click();
  auto* window = editor->findChild<TRelationshipsWindow*>("RelationshipsWindow");
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Scene().Tables().size(), 4u);
  ASSERT_EQ(window->Scene().Relations().size(), 2u);
  EXPECT_EQ(Overlaps(*window), "");
  // Lines attach to the related fields' rows: the primary end on the Customers key row.
  for (const diagram::RelationItem* line : window->Scene().Relations()) {
    const auto& tables = window->Scene().Tables();
    const QRectF primary = tables[line->Relation().primary]->sceneBoundingRect();
    const QRectF foreign = tables[line->Relation().foreign]->sceneBoundingRect();
    EXPECT_TRUE(std::abs(line->PrimaryEnd().x() - primary.right()) < 1 ||
                std::abs(line->PrimaryEnd().x() - primary.left()) < 1);
    EXPECT_GT(line->PrimaryEnd().y(), primary.top() + 20) << "below the header: the key field row";
    EXPECT_LT(line->PrimaryEnd().y(), primary.bottom());
    EXPECT_GT(line->ForeignEnd().y(), foreign.top() + 20);
    EXPECT_LT(line->ForeignEnd().y(), foreign.bottom());
  }
  EXPECT_LT(At(*window, "Customers").x(), At(*window, "Orders").x()) << "primary tables stand left";
  editor.reset();  // takes the window with it
}

TEST_F(RelationshipsWindowTest, MovedBoxesSurviveReopeningAndCompacting) {
  {
    auto window = Window();
    window->Scene().FindTable("Orders")->setPos(QPointF(600, 400));
    window->Scene().FindTable("Settings")->setPos(QPointF(-300, 10));
    window->SavePositions();
  }
  db_->SetConnected(false);
  const std::string compacted = dir_.File("compacted.mdb");
  engine_->CompactDatabase(file_, compacted);
  for (const std::string& file : {file_, compacted}) {
    db_->SetDatabaseFile(file);
    db_->SetConnected(true);
    auto window = Window();
    EXPECT_EQ(At(*window, "Orders"), QPointF(600, 400)) << file;
    EXPECT_EQ(At(*window, "Settings"), QPointF(-300, 10)) << file;
    EXPECT_EQ(Overlaps(*window), "") << file;
    db_->SetConnected(false);
  }

  // Arrange forgets the placement and keeps the automatic one.
  db_->SetConnected(true);
  auto window = Window();
  window->AutoArrange();
  const QPointF arranged = At(*window, "Orders");
  EXPECT_NE(arranged, QPointF(600, 400));
  window->Refresh();
  EXPECT_EQ(At(*window, "Orders"), arranged);
}

TEST_F(RelationshipsWindowTest, ARelationshipAddedBySqlAppearsAfterRefresh) {
  auto window = Window();
  window->Scene().FindTable("Settings")->setPos(QPointF(900, 0));
  window->SavePositions();
  Sql({"ALTER TABLE Settings ADD COLUMN Owner LONG",
       "ALTER TABLE Settings ADD CONSTRAINT SettingOwner FOREIGN KEY (Owner) REFERENCES Customers (CustomerID)",
       "CREATE TABLE Audit (Id COUNTER PRIMARY KEY)"});
  EXPECT_EQ(window->Scene().Relations().size(), 2u);
  window->findChild<QPushButton*>("BtnRefresh")->click();
  EXPECT_EQ(window->Scene().Relations().size(), 3u);
  EXPECT_EQ(window->Scene().Tables().size(), 5u);
  EXPECT_EQ(At(*window, "Settings"), QPointF(900, 0)) << "placed boxes stay";
  EXPECT_EQ(Overlaps(*window), "") << "the new table goes where nothing stands";
}

TEST_F(RelationshipsWindowTest, DoubleClicksOpenTheDesignerOrTellTheRules) {
  auto window = Window();
  ScriptedGui gui;
  gui.ExpectMessageBox(IDOK).Caption("Relationship").Check("names fields and kind", [](const GuiCall& call) {
    return call.text.find("OrderCustomer") != std::string::npos &&
           call.text.find("Customers (CustomerID)") != std::string::npos &&
           call.text.find("Orders (CustomerID)") != std::string::npos &&
           call.text.find("one-to-many") != std::string::npos && call.text.find("enforced") != std::string::npos;
  });
  for (diagram::RelationItem* line : window->Scene().Relations()) {
    if (line->Relation().name == "OrderCustomer") window->Activate(line);
  }
  gui.Verify();

  window->Activate(window->Scene().FindTable("Products"));
  ASSERT_NE(TableDesigner(), nullptr);
  EXPECT_EQ(TableDesigner()->TableDef()->Name(), "Products");

  // A real double-click on a box's header does the same.
  window->View().FitAll();
  diagram::TableItem* orders = window->Scene().FindTable("Orders");
  const QPoint header = window->View().mapFromScene(orders->sceneBoundingRect().topLeft() + QPointF(20, 8));
  QTest::mouseDClick(window->View().viewport(), Qt::LeftButton, {}, header);
  EXPECT_EQ(TableDesigner()->TableDef()->Name(), "Orders");
}

TEST_F(RelationshipsWindowTest, ZoomsExportsAndPrints) {
  auto window = Window();
  TDiagramView& view = window->View();
  view.setTransform(QTransform());
  QTest::keyClick(view.viewport(), Qt::Key_Plus);
  EXPECT_DOUBLE_EQ(view.Zoom(), 1.25);
  QTest::keyClick(view.viewport(), Qt::Key_Minus);
  QTest::keyClick(view.viewport(), Qt::Key_Minus);
  EXPECT_DOUBLE_EQ(view.Zoom(), 0.8);

  ScriptedGui gui;
  const std::string png = dir_.File("diagram.png"), svg = dir_.File("diagram.svg");
  gui.ExpectSaveFile(png);
  gui.ExpectSaveFile(svg);
  gui.ExpectSaveFile(std::nullopt);
  gui.ExpectPrint(true, dir_.File("printed.pdf"));
  window->findChild<QPushButton*>("BtnExport")->click();
  window->findChild<QPushButton*>("BtnExport")->click();
  window->findChild<QPushButton*>("BtnExport")->click();  // cancelled: nothing
  window->findChild<QPushButton*>("BtnPrint")->click();
  gui.Verify();
  EXPECT_FALSE(QImage(QString::fromStdString(png)).isNull());
  EXPECT_NE(ReadFileBytes(svg).find("<svg"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir_.File("printed.pdf")).rfind("%PDF", 0), 0u);
}

TEST_F(RelationshipsWindowTest, ScreenshotOfTheDemoTables) {
  auto window = Window();
  window->AutoArrange();
  const QString folder = QDir(QString(QB_BIN_DIR)).absoluteFilePath("../screenshots");
  ASSERT_TRUE(QDir().mkpath(folder));
  const QImage image = diagram::RenderImage(window->Scene());
  EXPECT_TRUE(image.save(folder + "/diagram-demo.png"));
  EXPECT_TRUE(SaveScreenshot(*window, "diagram-window"));
}

}  // namespace
}  // namespace qb::test
