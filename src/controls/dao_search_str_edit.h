// controls/dao_search_str_edit: an edit that positions a recordset while the user types. Each
// change of the text (re)starts the SearchTimer; when it fires, FindNearestEntry moves the
// recordset to the first record whose search field starts with (a text) or is at least (a
// number or date) the text typed, so that typing several characters quickly searches once.
// Without a SearchTimer nothing is searched.
#pragma once
#include <QLineEdit>
#include <QPointer>
#include <string>

#include "framework/gui/window_timer.h"

namespace qb {

class TDataSource;


class TDAOSearchStrEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TDAOSearchStrEdit(QWidget* parent = nullptr);

  TDataSource* DataSource() const { return source_; }
  void SetDataSource(TDataSource* source) { source_ = source; }
  // The field searched; empty: the recordset's sort order tells (the current index's fields of
  // a table, the ORDER BY list of a statement).
  const std::string& SearchField() const { return search_field_; }
  void SetSearchField(std::string name) { search_field_ = std::move(name); }
  WindowTimer* SearchTimer() const { return timer_; }
  void SetSearchTimer(WindowTimer* timer) { timer_ = timer; }
  static const char* About();

  // Searches the text now (the timer's work); nothing without an open recordset. Raises 65228 when the search field is not a
  // field of the recordset, and the conversion error for a text that is not a value of the
  // field's type; a value not found is told in an information box.
  virtual void FindNearestEntry();
  // Sets the text, caret at its end, without searching.
  void SetTextSilently(const QString& text);
  // Starts the delay before the search anew (what every change of the text does).
  void RestartSearchTimer();
  // After the form is loaded: the timer stops and the edit empties itself silently.
  void Loaded();

 private:
  void TimerFired(WindowTimer& timer);

  // References are cleared when the component they name goes.
  QPointer<TDataSource> source_;
  QPointer<WindowTimer> timer_;
  std::string search_field_;
  bool silent_ = false;
};

}  // namespace qb
