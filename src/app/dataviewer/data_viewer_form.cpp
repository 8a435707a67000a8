// app/dataviewer/data_viewer_form: the data viewer's set-up, opening, status and tool bar.
#include "app/dataviewer/data_viewer_form.h"

#include "app/architecture/db_architecture_form.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "app/dataviewer/data_viewer_recordset.h"
#include "app/toolwindows/single_tool_windows.h"
#include "framework/controls/db_grid.h"
#include "framework/controls/db_navigator.h"
#include "framework/data/data_source.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"
#include "recordset/dao_recordset.h"

namespace qb {

namespace {

QPointer<TFormDataViewer>& Instance() {
  static QPointer<TFormDataViewer> instance;
  return instance;
}

TShowDBArchitectureEntry& ArchitectureEntry() {
  static TShowDBArchitectureEntry entry = &ShowDBArchitecture;
  return entry;
}

// The window starts with the first text; every later refresh of a closed recordset writes the
// second, as the utility always has.
constexpr const char* kNotActive = "Recordset not Active";
constexpr const char* kNotActiveAfterRefresh = "Recordset not Ative";

// Refreshes the viewer's status when the data changes. Moving through the records changes
// neither the count nor whether the data can be modified, so a scroll does not count them again
// (counting a large table on every step would slow scrolling down).
class StatusLink : public TDataLink {
 public:
  explicit StatusLink(std::function<void()> refresh) : refresh_(std::move(refresh)) {}

 protected:
  void ActiveChanged() override { refresh_(); }
  void EditingChanged() override { refresh_(); }
  void DataSetChanged() override { refresh_(); }
  void DataSetScrolled(int) override {}

 private:
  std::function<void()> refresh_;
};

}  // namespace

TShowDBArchitectureEntry SetShowDBArchitectureEntry(TShowDBArchitectureEntry entry) {
  return std::exchange(ArchitectureEntry(), entry);
}

TFormDataViewer* DataViewerInstance() { return Instance().data(); }

void ShowDataViewerWindow(TDAODataBase* database, const std::string& name) {
  if (database == nullptr || name.empty()) return;
  TFormDataViewer* viewer = SingleToolWindow(Instance());
  if (!viewer->SetUp(database, name)) return;
  viewer->show();
  viewer->raise();
  viewer->activateWindow();
}

TFormDataViewer::TFormDataViewer(QWidget* parent)
    : QWidget(parent),
      recordset_(std::make_unique<TDataViewerRecordset>()),
      source_(std::make_unique<TDataSource>()),
      export_(this, "Operation in Progress. Please Wait ...") {
  setObjectName("TFormDataViewer");
  setWindowTitle("Database undefined");
  recordset_->SetName("RecordSet");
  recordset_->SetRecordSetType(rtTable);
  recordset_->SetOptions(0);
  recordset_->SetLockStrategy(lkPessimistic);
  // The batch, ODBC update and cache settings apply to ODBC workspaces only; their defaults
  // stand.
  recordset_->SetOnlyIdxFieldVisible(false);
  recordset_->SetRestrictFilterToIndexedFields(false);
  source_->SetDataSet(recordset_.get());
  BuildControls();
  count_timer_ = new QTimer(this);
  count_timer_->setSingleShot(true);
  count_timer_->setInterval(0);
  connect(count_timer_, &QTimer::timeout, this, [this] { FinishCount(); });
  grid_->viewport()->installEventFilter(this);
  status_link_ = std::make_unique<StatusLink>([this] { RefreshStatus(); });
  status_link_->SetDataSource(source_.get());
  RefreshStatus();
  panels_[1]->setText(kNotActive);
}

TFormDataViewer::~TFormDataViewer() {
  count_timer_->stop();
  grid_->viewport()->removeEventFilter(this);
  // The controls let go of the data source before it and the recordset go.
  grid_->SetDataSource(nullptr);
  navigator_->SetDataSource(nullptr);
  status_link_->SetDataSource(nullptr);
  try {
    recordset_->Close();
  } catch (const std::exception&) {
    // Closing a recordset whose database went already: nothing is left to release.
  }
}

void TFormDataViewer::BuildControls() {
  resize(390, 320);
  setMinimumSize(150, 150);

  grid_ = new TDataViewerGrid(this);
  grid_->setObjectName("DAODataGrid1");
  grid_->SetOptions(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines | dgTabs |
                    dgConfirmDelete);
  grid_->SetDataSource(source_.get());
  navigator_ = new TDBNavigator(this);
  navigator_->setObjectName("DBNavigator1");
  navigator_->SetDataSource(source_.get());

  tool_bar_ = new QToolBar(this);
  tool_bar_->setObjectName("ToolBar1");
  tool_bar_->setOrientation(Qt::Vertical);
  tool_bar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
  struct Entry {
    const char* name;
    const char* text;
    const char* hint;
    void (TFormDataViewer::*action)();
  };
  const Entry entries[] = {
      {"BtnPrint", "Print", "Print Current Window Contents", &TFormDataViewer::BtnPrintClick},
      {"BtnExport", "Export", "Export the Data to a File", &TFormDataViewer::BtnExportClick},
      {"BtnFont", "Font", "Change the Window Font", &TFormDataViewer::BtnFontClick},
      {"BtnDBArchitecture", "DB Architecture", "Show the Names of Tables and Fields in the Database",
       &TFormDataViewer::BtnDBArchitectureClick},
      {"BtnClose", "Close", "Close this Window", nullptr},
  };
  for (const Entry& entry : entries) {
    auto* button = new QToolButton(tool_bar_);
    button->setObjectName(entry.name);
    button->setText(entry.text);
    button->setToolTip(entry.hint);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    tool_bar_->addWidget(button);
    if (entry.action != nullptr) {
      const auto action = entry.action;
      connect(button, &QToolButton::clicked, this, [this, action] { App().CallGuarded([&] { (this->*action)(); }); });
    } else {
      connect(button, &QToolButton::clicked, this, &QWidget::close);
    }
  }
  btn_export_ = ToolButton("BtnExport");

  status_bar_ = new QStatusBar(this);
  status_bar_->setSizeGripEnabled(true);
  panels_[0] = new QLabel(status_bar_);
  panels_[0]->setObjectName("StatusPanel0");
  panels_[0]->setMinimumWidth(170);
  panels_[1] = new QLabel(status_bar_);
  panels_[1]->setObjectName("StatusPanel1");
  panels_[1]->setMinimumWidth(50);
  status_bar_->addWidget(panels_[0]);
  status_bar_->addWidget(panels_[1], 1);

  auto* data = new QVBoxLayout;
  data->setContentsMargins(0, 0, 0, 0);
  data->setSpacing(0);
  data->addWidget(grid_, 1);
  data->addWidget(navigator_);
  auto* body = new QHBoxLayout;
  body->setContentsMargins(0, 0, 0, 0);
  body->setSpacing(0);
  body->addLayout(data, 1);
  body->addWidget(tool_bar_);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addLayout(body, 1);
  layout->addWidget(status_bar_);
}

TDAORecordset& TFormDataViewer::RecordSet() const { return *recordset_; }

QToolButton* TFormDataViewer::ToolButton(const char* name) const { return tool_bar_->findChild<QToolButton*>(name); }

bool TFormDataViewer::SetUp(TDAODataBase* database, const std::string& name) {
  database_ = database;
  if (name != name_) name_ = name;
  const bool opened = App().CallGuarded([this] { OpenData(); });
  if (!recordset_->Active()) {
    count_pending_ = false;
    count_timer_->stop();
    recordset_->SetCountDeferred(false);
  }
  RefreshStatus();
  return opened;
}

bool TFormDataViewer::eventFilter(QObject* watched, QEvent* event) {
  // The count waits until the first rows are on the screen.
  if (event->type() == QEvent::Paint && count_pending_ && !count_timer_->isActive()) count_timer_->start();
  return QWidget::eventFilter(watched, event);
}

void TFormDataViewer::closeEvent(QCloseEvent* event) {
  // A closed window counts nothing; shown again, its next paint starts the count.
  count_timer_->stop();
  QWidget::closeEvent(event);
}

void TFormDataViewer::FinishCount() {
  if (!count_pending_) return;
  count_pending_ = false;
  // A table's count is kept by the recordset: the status and the scroll bar read it from there.
  if (recordset_->Active()) App().CallGuarded([this] { recordset_->RecordCount(); });
  recordset_->SetCountDeferred(false);
  RefreshStatus();
}

void TFormDataViewer::OpenData() {
  // A name that is not there leaves the grid empty rather than showing the previous data.
  recordset_->Close();
  if (database_.isNull()) {
    setWindowTitle("Database undefined");
    return;
  }
  TDAODataBase* database = database_.data();
  bool found = false;
  try {
    if (database->FindTableDef(name_)) {
      recordset_->SetDAODatabase(database);
      recordset_->SetRecordSetType(rtTable);
      recordset_->SetTableName(name_);
      setWindowTitle(QString::fromStdString("Data in Table: " + name_));
      found = true;
    }
  } catch (const std::exception&) {
  }
  if (!found) {
    setWindowTitle("Table undefined");
    try {
      if (database->FindQueryDef(name_)) {
        recordset_->SetDAODatabase(database);
        recordset_->SetRecordSetType(rtStoredProcedure);
        recordset_->SetTableName(name_);
        setWindowTitle(QString::fromStdString("Data in stored Procedure: " + name_));
        found = true;
      }
    } catch (const std::exception&) {
    }
    if (!found) setWindowTitle("Stored Procedure undefined");
  }
  if (!found) return;
  // The table is counted after the first paint (FinishCount), not before its rows are shown.
  count_timer_->stop();
  count_pending_ = true;
  recordset_->SetCountDeferred(true);
  recordset_->Open();
}

void TFormDataViewer::RefreshStatus() {
  const bool active = recordset_->Active();
  if (!active) {
    panels_[0]->setText("Number of Records: 0");
    panels_[1]->setText(kNotActiveAfterRefresh);
  } else if (count_pending_) {
    panels_[0]->setText("Number of Records:  counting ...");
    panels_[1]->setText(recordset_->CanModify() ? "Data can be modified" : "Data cannot be modified");
  } else {
    int count = 0;
    App().CallGuarded([&] { count = recordset_->RecordCount(); });
    panels_[0]->setText(QString::asprintf("Number of Records:  %d", count));
    panels_[1]->setText(recordset_->CanModify() ? "Data can be modified" : "Data cannot be modified");
  }
  btn_export_->setEnabled(!database_.isNull() && active);
}

void TFormDataViewer::BtnPrintClick() { Gui().PrintWidgetImage(*this); }

void TFormDataViewer::BtnExportClick() {
  if (database_.isNull() || !recordset_->Active()) return;
  export_.Run(*recordset_);
}

void TFormDataViewer::BtnFontClick() {
  if (const std::optional<QFont> font = Gui().FontDialog(grid_->font())) grid_->setFont(*font);
}

void TFormDataViewer::BtnDBArchitectureClick() {
  // The architecture window installs the entry; until then the button does nothing.
  if (ArchitectureEntry() != nullptr && !database_.isNull()) ArchitectureEntry()(database_.data());
}

}  // namespace qb
