// controls/dao_rich_edit: the framework's formatted text control of a field with the data-access
// additions: the colour of the dataset's state, enabled only while the dataset's records can
// be changed, and a file dropped from the desktop shell loaded into the control and its field.
#pragma once
#include "controls/dao_field_data_link.h"
#include "framework/controls/db_rich_edit.h"

namespace qb {

class TDAORichEdit : public TDBRichEdit {
  Q_OBJECT

 public:
  explicit TDAORichEdit(QWidget* parent = nullptr);
  ~TDAORichEdit() override;

  bool ChangeColorOnDataSetStateChange() const { return change_color_; }
  void SetChangeColorOnDataSetStateChange(bool value);
  static const char* About();

  // Loads the file PATH as a drop does (see file_drop.h); errors go to the exception display.
  void DropFile(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  virtual void UpdateControlState();

 private:
  void LoadFromFile(const QString& path);
  TDAOFieldDataLink& Link() { return static_cast<TDAOFieldDataLink&>(DataLink()); }

  bool change_color_ = true;
};

}  // namespace qb
