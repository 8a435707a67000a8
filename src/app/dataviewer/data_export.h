// app/dataviewer/data_export: TDataExport, the export of an open recordset to a delimited text
// file: the destination dialog, the separator options, the worker that writes the file under
// the progress window (cancel stops it before the next record) and the summary. The data viewer
// and the SQL query window each hold one, with their own progress text.
//
// The file: the field names joined by the field separator, then one line per record (every
// field's text, null as the empty text, joined by the field separator), each line - the header
// included - ended by the record separator. No byte-order mark, quoting or escaping. A record is
// built in full before anything of it is written, so the file holds whole lines only: a record
// that fails writes nothing and counts as an error.
#pragma once
#include <QObject>
#include <functional>
#include <string>

#include "app/progress/nim_progress_indicator.h"
#include "framework/data/dataset.h"

class QWidget;

namespace qb {

class TDAORecordset;
class TProgressDialog;

class TDataExport {
 public:
  // OWNER parents the dialogs; PROGRESS_TEXT is the progress window's message.
  TDataExport(QWidget* owner, QString progress_text);

  // Exports RECORDSET: asks for the destination file, then for the separators (stops when
  // either is cancelled), runs the worker under the progress window and shows the summary.
  // Does nothing unless RECORDSET is open. Errors of the worker go to the default exception
  // display (creating the file: the summary then shows 0 records and 0 errors).
  void Run(TDAORecordset& recordset);

  // The worker on its own: writes DATASET to FILE_NAME as Run does, inside the progress window
  // WINDOW (null: none; nothing can cancel then). Leaves the dataset on the record it was on.
  // Raises EOleException when the file cannot be created or its header cannot be written.
  // REQUIRES: DATASET open.
  void Export(TDataSet& dataset, const std::string& file_name, TProgressDialog* window);

  void SetSeparators(std::string field_separator, std::string record_separator);
  const std::string& FieldSeparator() const { return field_separator_; }
  const std::string& RecordSeparator() const { return record_separator_; }
  const std::string& FileName() const { return file_name_; }
  // Of the last export: records written, records that failed.
  int Exported() const { return exported_; }
  int Failed() const { return failed_; }
  TNimProgressIndicator& ProgressIndicator() { return indicator_; }

  // Test hooks. BeforeValue runs before the value of field FIELD of record RECORD (0 = the
  // first) is read, and may raise as a failing read would; AfterRecord runs after each record.
  std::function<void(int record, int field)> TEST_BeforeValue;
  std::function<void(int record)> TEST_AfterRecord;

 private:
  class Writer;
  // Moves DATASET on after RECORD; false when it cannot be moved (the export then ends).
  bool MoveOn(TDataSet& dataset);

  QWidget* owner_;  // not owned
  TNimProgressIndicator indicator_;
  std::string field_separator_ = "\t";
  std::string record_separator_ = "\r\n";
  std::string file_name_;
  int exported_ = 0;
  int failed_ = 0;
};

}  // namespace qb
