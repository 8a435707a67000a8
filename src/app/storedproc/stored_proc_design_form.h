// app/storedproc/stored_proc_design_form: TStoredProcDesignForm, the modeless stored procedure
// designer: the SQL text and the maximum number of returned records of one saved query of a
// database component. Changes go to the engine when applied (or, for the maximum, when its
// spin edit is left); there is no separate save. At most one designer exists;
// ShowStoredProcDesigner (app/toolwindows/tool_windows.h) makes or reuses it.
#pragma once
#include <QPointer>
#include <QWidget>
#include <memory>

#include "engine/dao_database.h"

class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace qb {

namespace jet {
class QueryDef;
}

class TStoredProcDesignForm;

// Shows QUERY of DATABASE in the single designer (made on first use), made visible and brought
// to the front. The entry ShowStoredProcDesigner calls this.
void OpenStoredProcDesigner(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query);
// The designer that exists, or null.
TStoredProcDesignForm* StoredProcDesigner();

class TStoredProcDesignForm : public QWidget {
  Q_OBJECT

 public:
  explicit TStoredProcDesignForm(QWidget* parent = nullptr);
  ~TStoredProcDesignForm() override;

  // The set-up: nothing when both are what the window shows already; otherwise stores both,
  // shows QUERY's SQL and MaxRecords and its name in the caption (without a query the text
  // stays and the caption says it is undefined), and sets the enabled states.
  void SetUp(TDAODataBase* database, std::shared_ptr<jet::QueryDef> query);
  TDAODataBase* DataBase() const { return database_; }
  const std::shared_ptr<jet::QueryDef>& QueryDef() const { return query_; }

  // "Apply" and "Data" need a query and a database, "DBArchtitecture" a database.
  void SetButtonsEnabled();

  // Actions (run through the default exception display by the buttons). Apply writes the
  // editor's whole text as the query's SQL, then the spin value as its MaxRecords, and raises
  // what the engine raises (a syntax error keeps the old text and leaves MaxRecords alone).
  void BtnApplyClick();
  // Applies; the modeless window stays open either way.
  void BtnOkClick();
  void BtnCancelClick();
  void BtnFontClick();
  void BtnDBArchitectureClick();
  void BtnDataClick();
  // Leaving the spin edit writes MaxRecords at once.
  void SpinEditMaxRecordsExit();

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();  // stored_proc_design_layout.cpp
  void ConnectControls();

  std::shared_ptr<jet::QueryDef> query_;  // the query shown; may be absent
  QPointer<TDAODataBase> database_;       // not owned; may be absent

  // Controls, owned by the window.
  QTabWidget* pages_ = nullptr;
  QPlainTextEdit* memo_sql_ = nullptr;
  QSpinBox* spin_max_records_ = nullptr;
  QToolButton* btn_font_ = nullptr;
  QToolButton* btn_apply_ = nullptr;
  QToolButton* btn_architecture_ = nullptr;
  QToolButton* btn_data_ = nullptr;
  QPushButton* btn_ok_ = nullptr;
  QPushButton* btn_cancel_ = nullptr;
};

}  // namespace qb
