// framework/controls/db_navigator: a bar of buttons that move and edit a data source's dataset:
// first, prior, next, last, insert, delete, edit, post, cancel, refresh. A button is enabled
// only where its action can run: moving back needs a dataset not at its beginning, moving on
// one not at its end; insert, delete and edit need a dataset that can be modified (delete and
// edit also a record, edit browse state); post and cancel need a record being edited or inserted;
// refresh needs an open dataset. Delete asks "Delete record?" first (ConfirmDelete).
#pragma once
#include <QWidget>
#include <array>

#include "framework/controls/navigator_data_link.h"

class QToolButton;

namespace qb {

class TDataSet;
class TDataSource;

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
inline constexpr int kNavigateButtons = 10;
using TNavButtonSet = unsigned;  // bit (1 << TNavigateBtn)
inline constexpr TNavButtonSet kAllNavButtons = (1u << kNavigateButtons) - 1;

class TDBNavigator : public QWidget {
  Q_OBJECT

 public:
  explicit TDBNavigator(QWidget* parent = nullptr);

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  TNavButtonSet VisibleButtons() const { return visible_; }
  void SetVisibleButtons(TNavButtonSet buttons);
  bool ConfirmDelete() const { return confirm_delete_; }
  void SetConfirmDelete(bool value) { confirm_delete_ = value; }
  // The button's widget (its objectName is "First", "Prior", ... "Refresh").
  QToolButton* Button(TNavigateBtn button) const { return buttons_[button]; }
  // Runs BUTTON's action as a click does (errors reach the application's exception display).
  void BtnClick(TNavigateBtn button);

 private:
  void UpdateButtons();
  void Run(TNavigateBtn button);

  TNavDataLink link_;
  std::array<QToolButton*, kNavigateButtons> buttons_{};
  TNavButtonSet visible_ = kAllNavButtons;
  bool confirm_delete_ = true;
};

}  // namespace qb
