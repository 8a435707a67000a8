// framework/controls/db_grid: a data grid over a data source. One row per record of the grid
// data link's window, which is exactly the visible rows: the grid never reads or keeps records
// beyond the dataset's ring of buffers. The vertical scroll bar is the dataset's position (the
// record number out of the record count when the dataset numbers its records, else top, middle
// or bottom) and scrolling moves the dataset. Columns are the dataset's visible fields, with a
// title row, an indicator column (the active record's arrow, an I-beam while it is edited, a
// star while it is inserted) and widths the user drags in the title row. A field without a
// value shows a grey italic "(Null)" (an empty text shows nothing).
//
// Keys: Up, Down, PageUp, PageDown, Ctrl+Home, Ctrl+End move the record (Down on the last
// record appends one when editing is allowed); Left, Right, Home, End and, with dgTabs, Tab and
// Shift+Tab move the column. With dgEditing: F2, Enter or typing opens the cell's editor
// (typing puts the dataset into edit state first), Enter posts the record, Escape drops the
// cell's typed text and a second Escape cancels the record's edit, Insert inserts a record,
// Delete (editor closed) or Ctrl+Delete deletes the record after the question "Delete
// record?" (dgConfirmDelete).
#pragma once
#include <QAbstractScrollArea>
#include <map>
#include <string>
#include <vector>

#include "framework/controls/grid_data_link.h"

namespace qb {

class TDataSet;
class TDataSource;
class TField;
class TGridInplaceEdit;

enum TDBGridOption : unsigned {
  dgEditing = 1u << 0,        // cells can be edited, records inserted and deleted
  dgTitles = 1u << 1,         // a title row with the fields' display names
  dgIndicator = 1u << 2,      // the indicator column
  dgColumnResize = 1u << 3,   // column widths can be dragged in the title row
  dgColLines = 1u << 4,       // lines between the columns
  dgRowLines = 1u << 5,       // lines between the rows
  dgTabs = 1u << 6,           // Tab and Shift+Tab move between the columns
  dgConfirmDelete = 1u << 7,  // deleting asks first
  dgCancelOnExit = 1u << 8,   // an unchanged inserted record is dropped when the grid loses focus
};
using TDBGridOptions = unsigned;
inline constexpr TDBGridOptions kDefaultGridOptions = dgEditing | dgTitles | dgIndicator |
    dgColumnResize | dgColLines | dgRowLines | dgTabs | dgConfirmDelete | dgCancelOnExit;

class TDBGrid : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TDBGrid(QWidget* parent = nullptr);
  ~TDBGrid() override;

  TDataSource* DataSource() const { return link_.DataSource(); }
  void SetDataSource(TDataSource* source) { link_.SetDataSource(source); }
  TDataSet* DataSet() const { return link_.DataSet(); }
  TDBGridOptions Options() const { return options_; }
  void SetOptions(TDBGridOptions options);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool value);
  // Dragging the vertical scroll box moves the dataset continuously instead of on release.
  bool TrackThumb() const { return track_thumb_; }
  void SetTrackThumb(bool value) { track_thumb_ = value; }
  TGridDataLink& DataLink() { return link_; }

  // --- columns (the dataset's visible fields)
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  TField* ColumnField(int column) const;
  int ColumnWidth(int column) const;
  void SetColumnWidth(int column, int width);
  // The selected column (-1 without columns) and its field.
  int SelectedIndex() const { return selected_; }
  void SetSelectedIndex(int column);
  TField* SelectedField() const { return ColumnField(selected_); }

  // --- geometry, for callers and tests
  // Rows of records that fit the viewport (the link's window).
  int VisibleRows() const;
  int RowHeight() const { return row_height_; }
  // The rectangle of record row ROW (0: the window's first record), column COLUMN in viewport
  // coordinates; the title row is row -1.
  QRect CellRect(int row, int column) const;
  bool EditorVisible() const;
  TGridInplaceEdit* Editor() const { return editor_; }

  // Opens the editor on the selected cell when editing is allowed; false otherwise.
  bool ShowEditor();
  // Deletes the active record, asking first with dgConfirmDelete; false when nothing was deleted.
  bool DeleteRecord();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void scrollContentsBy(int dx, int dy) override;

 private:
  friend class TGridDataLink;
  friend class TGridInplaceEdit;

  struct Column {
    TField* field;
    int width;
  };

  // --- link reactions
  void LinkActive();
  void EditingChanged();
  void DataChanged();
  void RecordChanged(TField* field);
  void UpdateData();
  void FocusField(TField* field);

  // --- layout
  void BuildColumns();
  int DefaultWidth(const TField* field) const;
  int IndicatorWidth() const;
  int TitleHeight() const;
  int ColumnLeft(int column) const;  // viewport x of the column's left edge
  void UpdateBufferCount();
  void UpdateScrollBars();
  void UpdateHorizontalBar();
  // Asks the dataset for its position: may raise what the dataset raises.
  void UpdateVerticalBar();
  int ScrollBarValue();
  void ScrollAction(int action);
  void MoveToScrollPosition(int position);
  void MakeColumnVisible(int column);

  // --- painting
  void PaintTitles(QPainter& painter);
  void PaintRows(QPainter& painter);
  void PaintIndicator(QPainter& painter, const QRect& cell, bool active);

  // --- input and editing
  // Handles a navigation or editing key for the grid or its editor; false: not a grid key.
  bool HandleKey(QKeyEvent* event);
  void MoveRecord(int distance);
  void MoveColumn(int distance, bool wrap);
  bool CanEditGrid() const;
  bool CanEditCell() const;
  // The dataset enters edit state for a change of the selected cell; false when refused.
  bool EditCanModify();
  void HideEditor();
  void LoadEditorText();
  void PlaceEditor();
  void WritePendingCell();
  void PostOrShowEditor();
  void EscapePressed();
  void InsertRecord();
  int ColumnAt(int x) const;
  int RowAt(int y) const;
  int ResizeEdgeAt(const QPoint& position) const;
  void Guarded(const std::function<void()>& action);

  TGridDataLink link_;
  std::vector<Column> columns_;
  std::map<std::string, int> user_widths_;  // widths the user dragged, by field name
  TDBGridOptions options_ = kDefaultGridOptions;
  bool read_only_ = false;
  bool track_thumb_ = false;
  int selected_ = -1;
  std::string selected_name_;  // the selected column's field name, kept over rebuilds
  int row_height_ = 18;
  int resizing_ = -1;      // column being resized by the mouse
  int resize_origin_ = 0;  // its left edge
  bool setting_bar_ = false;
  bool cell_modified_ = false;  // the editor's text was typed, not yet written to the field
  bool loading_editor_ = false;
  bool appended_ = false;       // the record being inserted was appended by Down on the last
  int wheel_rest_ = 0;
  TGridInplaceEdit* editor_ = nullptr;
};

}  // namespace qb
