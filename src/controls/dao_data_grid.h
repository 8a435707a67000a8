// controls/dao_data_grid: the framework's data grid with the data-access additions. Typing in
// a read-only browsing grid feeds a linked search edit (Backspace takes a character back,
// Enter searches again, Escape empties it); a sort menu, filled from the indexes of the
// recordset's table, re-sorts the recordset by the index chosen; dragging the scroll box moves
// the recordset as it goes (TrackVerticalScrollBar), the bar standing for the position in the
// whole recordset.
#pragma once
#include <QMenu>
#include <QPointer>
#include <string>

#include "controls/dao_search_str_edit.h"
#include "framework/controls/db_grid.h"

namespace qb {

class TDAODataGrid : public TDBGrid {
  Q_OBJECT

 public:
  explicit TDAODataGrid(QWidget* parent = nullptr);

  TDAOSearchStrEdit* SearchStrEdit() const { return search_edit_; }
  void SetSearchStrEdit(TDAOSearchStrEdit* edit) { search_edit_ = edit; }
  QMenu* SortMenu() const { return sort_menu_; }
  void SetSortMenu(QMenu* menu) { sort_menu_ = menu; }
  // The grid's pop-up menu (right button); none by default.
  QMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(QMenu* menu) { popup_menu_ = menu; }
  bool TrackVerticalScrollBar() const { return TrackThumb(); }
  void SetTrackVerticalScrollBar(bool value) { SetTrackThumb(value); }
  static const char* About();

  // Fills MENU (the SortMenu when null) with one checkable item per index of the recordset's
  // table, each sorting by its index; the current order's item is checked.
  void FillSortMenu(QMenu* menu = nullptr);
  // Sorts the recordset by the index named by SENDER's caption (a menu item; anything else is
  // ignored), empties the search edit and checks the items of that caption in the pop-up menu
  // and the SortMenu.
  virtual void SortMenuItemClick(QObject* sender);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // True when keys go to the search edit: one is linked, the dataset browses and the grid does
  // not edit cells.
  bool FeedsSearchEdit() const;
  void SortBy(const std::string& index);

  QPointer<TDAOSearchStrEdit> search_edit_;
  QPointer<QMenu> sort_menu_;
  QPointer<QMenu> popup_menu_;
};

}  // namespace qb
