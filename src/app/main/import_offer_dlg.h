// app/main/import_offer_dlg: TImportOfferDlg, the question the main window asks when the chosen
// database is a genuine file of another program: import it into a new file beside it (named
// in the question) and connect to that, or leave it. Accepted means import.
#pragma once
#include <QDialog>
#include <string>

class QPushButton;

namespace qb {

class TImportOfferDlg : public QDialog {
  Q_OBJECT

 public:
  // ORIGINAL: the genuine file; COPY: the free name its import would take.
  TImportOfferDlg(const std::string& original, const std::string& copy, QWidget* parent = nullptr);

  QPushButton* BtnImport() const { return import_; }
  QPushButton* BtnCancel() const { return cancel_; }

 private:
  QPushButton* import_;  // owned by the window
  QPushButton* cancel_;  // owned by the window
};

}  // namespace qb
