// app/dataviewer/export_summary_form: TFormExportSummary, the modal window shown after an export:
// the destination file, the number of records written and the number of records that failed.
#pragma once
#include <QDialog>
#include <string>

class QLabel;

namespace qb {

class TFormExportSummary : public QDialog {
  Q_OBJECT

 public:
  TFormExportSummary(const std::string& file_name, int exported, int failed, QWidget* parent = nullptr);

  QLabel* FileLabel() const { return file_; }
  QLabel* TotalLabel() const { return total_; }
  QLabel* ErrorsLabel() const { return errors_; }

 private:
  QLabel* file_;    // owned by the window
  QLabel* total_;   // owned by the window
  QLabel* errors_;  // owned by the window
};

}  // namespace qb
