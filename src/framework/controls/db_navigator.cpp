// framework/controls/db_navigator: the buttons, their enabled states and their actions.
#include "framework/controls/db_navigator.h"

#include <QHBoxLayout>
#include <QToolButton>

#include "framework/controls/navigator_glyphs.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"
#include "framework/gui/gui_services.h"

namespace qb {

namespace {

struct ButtonText {
  const char* name;
  const char* hint;
};

constexpr ButtonText kButtons[kNavigateButtons] = {
    {"First", "First record"},   {"Prior", "Prior record"},   {"Next", "Next record"},
    {"Last", "Last record"},     {"Insert", "Insert record"}, {"Delete", "Delete record"},
    {"Edit", "Edit record"},     {"Post", "Post edit"},       {"Cancel", "Cancel edit"},
    {"Refresh", "Refresh data"},
};

}  // namespace

TDBNavigator::TDBNavigator(QWidget* parent) : QWidget(parent), link_([this] { UpdateButtons(); }) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  const QColor color = palette().color(QPalette::ButtonText);
  for (int i = 0; i < kNavigateButtons; ++i) {
    auto* button = new QToolButton(this);
    button->setObjectName(kButtons[i].name);
    button->setToolTip(tr(kButtons[i].hint));
    button->setIcon(NavigatorGlyph(i, color));
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(false);
    connect(button, &QToolButton::clicked, this, [this, i] { BtnClick(static_cast<TNavigateBtn>(i)); });
    layout->addWidget(button);
    buttons_[static_cast<size_t>(i)] = button;
  }
  UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TNavButtonSet buttons) {
  visible_ = buttons & kAllNavButtons;
  for (int i = 0; i < kNavigateButtons; ++i) buttons_[static_cast<size_t>(i)]->setVisible(visible_ & (1u << i));
}

void TDBNavigator::UpdateButtons() {
  TDataSet* dataset = link_.DataSet();
  const bool active = link_.Active() && dataset;
  const bool editing = active && link_.Editing();
  const bool modify = active && dataset->CanModify();
  const bool bof = !active || dataset->Bof();
  const bool eof = !active || dataset->Eof();
  const bool enabled[kNavigateButtons] = {
      active && !bof, active && !bof, active && !eof, active && !eof,
      modify, modify && !dataset->IsEmpty(), modify && !editing && !dataset->IsEmpty(),
      modify && editing, modify && editing, active,
  };
  for (int i = 0; i < kNavigateButtons; ++i) buttons_[static_cast<size_t>(i)]->setEnabled(enabled[i]);
}

void TDBNavigator::BtnClick(TNavigateBtn button) {
  App().CallGuarded([this, button] { Run(button); });
}

void TDBNavigator::Run(TNavigateBtn button) {
  TDataSet* dataset = link_.DataSet();
  if (!link_.Active() || !dataset) return;
  switch (button) {
    case nbFirst: dataset->First(); break;
    case nbPrior: dataset->Prior(); break;
    case nbNext: dataset->Next(); break;
    case nbLast: dataset->Last(); break;
    case nbInsert: dataset->Insert(); break;
    case nbDelete:
      if (!confirm_delete_ ||
          Gui().MessageBox("Delete record?", "Confirm", MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
        dataset->Delete();
      break;
    case nbEdit: dataset->Edit(); break;
    case nbPost: dataset->Post(); break;
    case nbCancel: dataset->Cancel(); break;
    case nbRefresh: dataset->Refresh(); break;
  }
}

}  // namespace qb
