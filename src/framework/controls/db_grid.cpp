// framework/controls/db_grid: the grid's columns, its geometry, the link's notifications and
// the vertical scroll bar that stands for the dataset's position.
#include "framework/controls/db_grid.h"

#include <QFontMetrics>
#include <QScrollBar>
#include <algorithm>

#include "framework/controls/grid_inplace_edit.h"
#include "framework/data/dataset.h"
#include "framework/data/field.h"
#include "framework/gui/application.h"

namespace qb {

namespace {
constexpr int kIndicatorWidth = 14;
constexpr int kMinColumnWidth = 8;
}  // namespace

TDBGrid::TDBGrid(QWidget* parent) : QAbstractScrollArea(parent), link_(this) {
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setMouseTracking(true);
  viewport()->setBackgroundRole(QPalette::Base);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  row_height_ = std::max(18, fontMetrics().height() + 4);
  editor_ = new TGridInplaceEdit(this, viewport());
  editor_->hide();
  QScrollBar* bar = verticalScrollBar();
  connect(bar, &QScrollBar::actionTriggered, this, [this](int action) {
    Guarded([&] { ScrollAction(action); });
  });
  connect(bar, &QScrollBar::sliderReleased, this, [this] {
    Guarded([&] { MoveToScrollPosition(verticalScrollBar()->sliderPosition()); });
  });
  UpdateScrollBars();
}

TDBGrid::~TDBGrid() {
  // The link must not call back into a grid that is half gone.
  link_.SetDataSource(nullptr);
}

void TDBGrid::Guarded(const std::function<void()>& action) { App().CallGuarded(action); }

void TDBGrid::SetOptions(TDBGridOptions options) {
  if (options == options_) return;
  options_ = options;
  if (!(options_ & dgEditing)) HideEditor();
  UpdateBufferCount();
  PlaceEditor();
  viewport()->update();
}

void TDBGrid::SetReadOnly(bool value) {
  read_only_ = value;
  if (read_only_) HideEditor();
  viewport()->update();
}

TField* TDBGrid::ColumnField(int column) const {
  if (column < 0 || column >= ColumnCount()) return nullptr;
  return columns_[static_cast<size_t>(column)].field;
}

int TDBGrid::ColumnWidth(int column) const {
  if (column < 0 || column >= ColumnCount()) return 0;
  return columns_[static_cast<size_t>(column)].width;
}

void TDBGrid::SetColumnWidth(int column, int width) {
  if (column < 0 || column >= ColumnCount()) return;
  Column& entry = columns_[static_cast<size_t>(column)];
  entry.width = std::max(kMinColumnWidth, width);
  user_widths_[entry.field->FieldName()] = entry.width;
  UpdateHorizontalBar();
  PlaceEditor();
  viewport()->update();
}

void TDBGrid::SetSelectedIndex(int column) {
  if (columns_.empty()) {
    selected_ = -1;
    return;
  }
  column = std::clamp(column, 0, ColumnCount() - 1);
  if (column == selected_) return;
  selected_ = column;
  selected_name_ = SelectedField()->FieldName();
  MakeColumnVisible(column);
  LoadEditorText();
  PlaceEditor();
  viewport()->update();
}

// ---------------------------------------------------------------- geometry

int TDBGrid::IndicatorWidth() const { return (options_ & dgIndicator) ? kIndicatorWidth : 0; }
int TDBGrid::TitleHeight() const { return (options_ & dgTitles) ? row_height_ : 0; }

int TDBGrid::VisibleRows() const {
  return std::max(1, (viewport()->height() - TitleHeight()) / row_height_);
}

int TDBGrid::ColumnLeft(int column) const {
  int x = IndicatorWidth() - horizontalScrollBar()->value();
  for (int i = 0; i < column && i < ColumnCount(); ++i) x += columns_[static_cast<size_t>(i)].width;
  return x;
}

QRect TDBGrid::CellRect(int row, int column) const {
  int top = row < 0 ? 0 : TitleHeight() + row * row_height_;
  int height = row < 0 ? TitleHeight() : row_height_;
  return QRect(ColumnLeft(column), top, ColumnWidth(column), height);
}

int TDBGrid::DefaultWidth(const TField* field) const {
  const QFontMetrics metrics = fontMetrics();
  int chars = 10;
  if (field->DataType() == ftString || field->DataType() == ftFixedChar || field->DataType() == ftWideString)
    chars = std::clamp(field->Size(), 4, 30);
  int width = metrics.horizontalAdvance(QLatin1Char('0')) * chars + 8;
  int title = metrics.horizontalAdvance(QString::fromStdString(field->DisplayName())) + 8;
  return std::max({width, title, kMinColumnWidth});
}

void TDBGrid::BuildColumns() {
  // The old columns' fields may be gone already (closed while controls were disabled): the
  // selection is found again by the name kept aside.
  columns_.clear();
  TDataSet* dataset = DataSet();
  if (link_.Active() && dataset) {
    for (TField* field : dataset->Fields()) {
      if (!field->Visible()) continue;
      auto width = user_widths_.find(field->FieldName());
      columns_.push_back({field, width != user_widths_.end() ? width->second : DefaultWidth(field)});
    }
  }
  selected_ = columns_.empty() ? -1 : 0;
  for (int i = 0; i < ColumnCount(); ++i)
    if (!selected_name_.empty() && columns_[static_cast<size_t>(i)].field->FieldName() == selected_name_)
      selected_ = i;
  if (selected_ >= 0) selected_name_ = SelectedField()->FieldName();
}

void TDBGrid::UpdateBufferCount() { link_.SetBufferCount(VisibleRows()); }

void TDBGrid::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  Guarded([this] {
    UpdateBufferCount();
    UpdateScrollBars();
  });
  PlaceEditor();
}

void TDBGrid::scrollContentsBy(int dx, int) {
  if (dx != 0) {
    PlaceEditor();
    viewport()->update();
  }
}

void TDBGrid::MakeColumnVisible(int column) {
  if (column < 0) return;
  QScrollBar* bar = horizontalScrollBar();
  int left = ColumnLeft(column) + bar->value() - IndicatorWidth();
  int right = left + ColumnWidth(column);
  int room = viewport()->width() - IndicatorWidth();
  if (left < bar->value())
    bar->setValue(left);
  else if (right > bar->value() + room)
    bar->setValue(std::min(left, right - room));
}

// ---------------------------------------------------------------- scroll bars

// The vertical bar's value for the dataset's position: the record number counted from 0 when
// the dataset numbers its records, else 0 at the beginning, 4 at the end and 2 in between.
int TDBGrid::ScrollBarValue() {
  TDataSet* dataset = DataSet();
  if (!link_.Active() || !dataset || !dataset->Active()) return 0;
  if (dataset->IsSequenced()) return std::max(0, dataset->RecNo() - 1);
  if (dataset->Bof()) return 0;
  if (dataset->Eof()) return 4;
  return 2;
}

void TDBGrid::UpdateScrollBars() {
  UpdateHorizontalBar();
  UpdateVerticalBar();
}

void TDBGrid::UpdateHorizontalBar() {
  QScrollBar* horizontal = horizontalScrollBar();
  int total = 0;
  for (const Column& column : columns_) total += column.width;
  int room = std::max(0, viewport()->width() - IndicatorWidth());
  horizontal->setRange(0, std::max(0, total - room));
  horizontal->setPageStep(std::max(1, room));
  horizontal->setSingleStep(20);
}

void TDBGrid::UpdateVerticalBar() {
  QScrollBar* bar = verticalScrollBar();
  if (bar->isSliderDown() && !track_thumb_) return;  // the user is still choosing a place
  setting_bar_ = true;
  TDataSet* dataset = DataSet();
  if (!link_.Active() || !dataset || !dataset->Active() || dataset->IsEmpty()) {
    bar->setRange(0, 0);
  } else if (dataset->IsSequenced()) {
    bar->setRange(0, std::max(0, dataset->RecordCount() - 1));
    bar->setPageStep(VisibleRows());
    bar->setSingleStep(1);
  } else {
    bar->setRange(0, 4);
    bar->setPageStep(1);
    bar->setSingleStep(1);
  }
  bar->setValue(ScrollBarValue());
  setting_bar_ = false;
}

void TDBGrid::ScrollAction(int action) {
  TDataSet* dataset = DataSet();
  QScrollBar* bar = verticalScrollBar();
  if (!link_.Active() || !dataset) return;
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: MoveRecord(1); break;
    case QAbstractSlider::SliderSingleStepSub: MoveRecord(-1); break;
    case QAbstractSlider::SliderPageStepAdd: MoveRecord(VisibleRows()); break;
    case QAbstractSlider::SliderPageStepSub: MoveRecord(-VisibleRows()); break;
    case QAbstractSlider::SliderToMinimum: dataset->First(); break;
    case QAbstractSlider::SliderToMaximum: dataset->Last(); break;
    case QAbstractSlider::SliderMove:
      if (bar->isSliderDown() && !track_thumb_) return;  // moved on release
      MoveToScrollPosition(bar->sliderPosition());
      break;
    default:
      return;
  }
  // The bar shows where the dataset went, not where the action would have put it.
  bar->setSliderPosition(ScrollBarValue());
}

void TDBGrid::MoveToScrollPosition(int position) {
  TDataSet* dataset = DataSet();
  if (!link_.Active() || !dataset || dataset->IsEmpty()) return;
  if (dataset->IsSequenced()) {
    if (position + 1 != dataset->RecNo()) dataset->SetRecNo(position + 1);
  } else if (position <= 0) {
    dataset->First();
  } else if (position >= 4) {
    dataset->Last();
  }
  UpdateScrollBars();
}

// ---------------------------------------------------------------- link reactions

void TDBGrid::LinkActive() {
  HideEditor();
  BuildColumns();
  UpdateBufferCount();
  UpdateScrollBars();
  viewport()->update();
}

void TDBGrid::EditingChanged() {
  if (!link_.Editing()) {
    cell_modified_ = false;
    appended_ = false;
  }
  viewport()->update();
}

void TDBGrid::DataChanged() {
  if (!cell_modified_) LoadEditorText();
  UpdateScrollBars();
  PlaceEditor();
  viewport()->update();
}

void TDBGrid::RecordChanged(TField* field) {
  if (!cell_modified_ && (!field || field == SelectedField())) LoadEditorText();
  viewport()->update();
}

void TDBGrid::FocusField(TField* field) {
  for (int i = 0; i < ColumnCount(); ++i) {
    if (columns_[static_cast<size_t>(i)].field == field) {
      SetSelectedIndex(i);
      setFocus();
      return;
    }
  }
}

}  // namespace qb
