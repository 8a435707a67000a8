// controls/dao_drop_control: what the data-access image, memo and rich edit add alike to their
// framework control: the colour of the dataset's state, enabled only while the dataset's records
// can be changed, and a file dropped from the desktop shell loaded into the control and its
// field. Each control says only how a file is shown (LoadFromFile).
#pragma once
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QString>
#include <memory>

#include "controls/control_look.h"
#include "controls/dao_field_data_link.h"
#include "controls/file_drop.h"
#include "framework/data/dataset.h"
#include "framework/gui/application.h"

namespace qb {

// BASE: a framework data-aware control taking its field link in its constructor.
template <class Base>
class TDAODropControl : public Base {
 public:
  explicit TDAODropControl(QWidget* parent) : Base(parent, std::make_unique<TDAOFieldDataLink>()) {
    Link().OnControlState = [this] { UpdateControlState(); };
  }
  ~TDAODropControl() override {
    Link().OnControlState = nullptr;
    this->SetDataSource(nullptr);
  }

  bool ChangeColorOnDataSetStateChange() const { return change_color_; }
  void SetChangeColorOnDataSetStateChange(bool value) {
    change_color_ = value;
    if (Link().DataSet()) UpdateControlState();
  }
  static const char* About() { return "Quillbase data-access components"; }

  // Loads the file PATH as a drop does (see file_drop.h); errors go to the exception display.
  void DropFile(const QString& path) {
    App().CallGuarded([&] {
      DropFileIntoField(this->DataLink(), path, [this](const QString& file) { LoadFromFile(file); });
    });
  }

 protected:
  // Shows the file PATH in the control (the field's own value follows through the link).
  virtual void LoadFromFile(const QString& path) = 0;

  virtual void UpdateControlState() {
    if (TDataSet* dataset = Link().DataSet()) ApplyDataSetLook(*this, *dataset, change_color_);
  }

  void dragEnterEvent(QDragEnterEvent* event) override {
    if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
      event->setAccepted(this->isEnabled());
      return;
    }
    Base::dragEnterEvent(event);
  }
  void dragMoveEvent(QDragMoveEvent* event) override {
    if (!FirstDroppedFile(event->mimeData()).isEmpty()) {
      event->setAccepted(this->isEnabled());
      return;
    }
    Base::dragMoveEvent(event);
  }
  void dropEvent(QDropEvent* event) override {
    const QString path = FirstDroppedFile(event->mimeData());
    if (path.isEmpty()) {
      // Dropped text changes the value as typing does: the record is edited first, or the text
      // would be shown but never written.
      bool editing = false;
      App().CallGuarded([&] { editing = this->DataLink().CanModify() && this->DataLink().Edit(); });
      if (!editing) {
        event->ignore();
        return;
      }
      Base::dropEvent(event);
      return;
    }
    // The drop is finished in every case.
    event->acceptProposedAction();
    if (this->isEnabled()) DropFile(path);
  }

 private:
  TDAOFieldDataLink& Link() { return static_cast<TDAOFieldDataLink&>(this->DataLink()); }

  bool change_color_ = true;
};

}  // namespace qb
