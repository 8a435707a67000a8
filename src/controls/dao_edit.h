// controls/dao_edit: the framework's masked field edit with the data-access additions: the
// colour of the dataset's state, enabled only while records can be changed, and search
// criteria in the set-key state: a numeric field then also takes the criteria characters
// (operators, brackets and the letters of LIKE, AND, OR, NOT), and with a recordset that
// restricts keys to indexed fields the edit of a field without its own index is disabled.
#pragma once
#include <bitset>
#include <optional>

#include "controls/dao_field_data_link.h"
#include "framework/controls/db_edit.h"

namespace qb {

// The 34 characters a search criterion may hold beyond the digits.
const std::bitset<256>& CriteriaChars();

class TDAOEdit : public TDBEdit {
  Q_OBJECT

 public:
  explicit TDAOEdit(QWidget* parent = nullptr);
  ~TDAOEdit() override;

  bool ChangeColorOnDataSetStateChange() const { return change_color_; }
  void SetChangeColorOnDataSetStateChange(bool value);
  static const char* About();

 protected:
  void focusInEvent(QFocusEvent* event) override;
  virtual void UpdateControlState();

 private:
  TDAOFieldDataLink& Link() { return static_cast<TDAOFieldDataLink&>(DataLink()); }
  bool FieldIsNumeric() const;
  // Gives the field the criteria characters / its own characters back.
  void AddCriteriaChars();
  void RemoveCriteriaChars();

  bool change_color_ = true;
  // The field's own accepted characters while the criteria characters are added, and the
  // field they belong to.
  std::optional<std::bitset<256>> own_chars_;
  TField* chars_field_ = nullptr;
};

}  // namespace qb
