// app/dataviewer/data_export: the export's dialogs and its worker.
#include "app/dataviewer/data_export.h"

#include <fcntl.h>
#include <unistd.h>

#include <QDialog>
#include <QElapsedTimer>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <typeinfo>
#include <vector>

#include "app/dataviewer/export_options_dlg.h"
#include "app/dataviewer/export_summary_form.h"
#include "app/progress/progress_dialog.h"
#include "com/ole_exception.h"
#include "framework/data/field.h"
#include "framework/data/field_classes.h"
#include "framework/gui/file_dialog.h"
#include "framework/gui/gui_services.h"
#include "jet/dao/error_numbers.h"
#include "recordset/dao_recordset.h"

namespace qb {

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;  // lines are gathered up to this before a write
constexpr int kMessageIntervalMs = 40;          // how often the progress window gets its events

std::string SystemError(int error) { return std::strerror(error); }

// Re-enables a dataset's controls however the export ends.
class ControlsDisabled {
 public:
  explicit ControlsDisabled(TDataSet& dataset) : dataset_(dataset) { dataset_.DisableControls(); }
  ~ControlsDisabled() { dataset_.EnableControls(); }
  ControlsDisabled(const ControlsDisabled&) = delete;
  ControlsDisabled& operator=(const ControlsDisabled&) = delete;

 private:
  TDataSet& dataset_;
};

}  // namespace

// The destination file, written in blocks of whole lines. When a block cannot be written in
// full, the file is cut back to its last whole line and the block's lines are reported lost.
class TDataExport::Writer {
 public:
  explicit Writer(const std::string& file_name) : file_name_(file_name) {
    fd_ = ::open(file_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
      throw EOleException(jet::err::kCannotOpenFile,
                          "The export file '" + file_name + "' cannot be created: " + SystemError(errno) + ".",
                          "Export");
    }
  }
  ~Writer() {
    if (fd_ >= 0) ::close(fd_);
  }
  Writer(const Writer&) = delete;
  Writer& operator=(const Writer&) = delete;

  // Adds LINE; returns the number of earlier lines lost when the block had to be written.
  int Add(const std::string& line) {
    block_ += line;
    ++lines_;
    return block_.size() >= kBlockSize ? Flush() : 0;
  }

  // Writes the gathered lines; returns how many of them were lost (0 when all were written).
  int Flush() {
    const int lines = lines_;
    lines_ = 0;
    if (block_.empty()) return 0;
    std::size_t done = 0;
    while (done < block_.size()) {
      const ssize_t n = ::write(fd_, block_.data() + done, block_.size() - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    const bool whole = done == block_.size();
    block_.clear();
    if (whole) {
      length_ += static_cast<off_t>(done);
      return 0;
    }
    // Drop the part of the block that did reach the file.
    if (::ftruncate(fd_, length_) == 0) ::lseek(fd_, length_, SEEK_SET);
    return lines;
  }

  // Writes the header at once; raises when it cannot be written.
  void WriteHeader(const std::string& line) {
    Add(line);
    if (Flush() != 0) {
      throw EOleException(jet::err::kDiskIo, "The export file '" + file_name_ + "' cannot be written.", "Export");
    }
  }

 private:
  std::string file_name_;
  int fd_ = -1;
  std::string block_;
  int lines_ = 0;     // lines in block_
  off_t length_ = 0;  // bytes of whole lines in the file
};

TDataExport::TDataExport(QWidget* owner, QString progress_text) : owner_(owner) {
  indicator_.SetCaption("Please Wait");
  indicator_.SetText(progress_text.toStdString());
  indicator_.SetCancelBtnState(cbsAllowCancel);
  indicator_.SetWindowPosition(poScreenCenter);
}

void TDataExport::SetSeparators(std::string field_separator, std::string record_separator) {
  field_separator_ = std::move(field_separator);
  record_separator_ = std::move(record_separator);
}

void TDataExport::Run(TDAORecordset& recordset) {
  if (!recordset.Active()) return;
  FileDialogRequest request;
  request.title = "Export Data to File";
  request.filter = "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*";
  request.default_ext = "TXT";
  request.overwrite_prompt = true;
  const std::optional<std::string> file = Gui().SaveFileDialog(request);
  if (!file || file->empty()) return;

  {
    TExportOptionsDlg options(owner_);
    if (Gui().RunModal(options) != QDialog::Accepted) return;
    SetSeparators(options.FieldSeparator(), options.RecordSeparator());
  }

  file_name_ = *file;
  exported_ = 0;
  failed_ = 0;
  indicator_.OnStartOperation = [this, &recordset](TProgressDialog& window, QObject*) {
    Export(recordset, file_name_, &window);
  };
  indicator_.Execute();
  indicator_.OnStartOperation = nullptr;

  TFormExportSummary summary(file_name_, exported_, failed_, owner_);
  Gui().RunModal(summary);
}

namespace {

// Appends one field's text to a line. The plain string, integer and yes/no classes are read
// straight from the record buffer into the line, with the text their AsString gives; every
// other class (and any class derived from these) goes through AsString. A field without a
// value gives the empty text.
class FieldText {
 public:
  explicit FieldText(TField* field) : field_(field) {
    const std::type_info& type = typeid(*field);
    if (type == typeid(TStringField)) {
      kind_ = Kind::kString;
      buffer_.assign(static_cast<std::size_t>(field->DataSize()) + 1, '\0');
    } else if (type == typeid(TSmallintField)) {
      kind_ = Kind::kInt16;
    } else if (type == typeid(TWordField)) {
      kind_ = Kind::kUInt16;
    } else if (type == typeid(TIntegerField) || type == typeid(TAutoIncField)) {
      kind_ = Kind::kInt32;
    } else if (type == typeid(TLargeintField)) {
      kind_ = Kind::kInt64;
    } else if (type == typeid(TBooleanField)) {
      kind_ = Kind::kBoolean;
    }
  }

  void AppendTo(std::string& line) {
    switch (kind_) {
      case Kind::kString:
        if (field_->GetData(buffer_.data())) line.append(buffer_.data(), ::strnlen(buffer_.data(), buffer_.size()));
        return;
      case Kind::kInt16: return AppendInteger<std::int16_t>(line);
      case Kind::kUInt16: return AppendInteger<std::uint16_t>(line);
      case Kind::kInt32: return AppendInteger<std::int32_t>(line);
      case Kind::kInt64: return AppendInteger<std::int64_t>(line);
      case Kind::kBoolean: {
        std::uint16_t bits = 0;
        if (field_->GetData(&bits)) line += bits != 0 ? "True" : "False";
        return;
      }
      case Kind::kOther: line += field_->AsString(); return;
    }
  }

 private:
  enum class Kind { kOther, kString, kInt16, kUInt16, kInt32, kInt64, kBoolean };

  template <typename T>
  void AppendInteger(std::string& line) {
    T value = 0;
    if (!field_->GetData(&value)) return;
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    line.append(text, static_cast<std::size_t>(end - text));
  }

  TField* field_;
  Kind kind_ = Kind::kOther;
  std::vector<char> buffer_;  // a string field's slot with its zero byte
};

// Writes the line of the active record of FIELDS into LINE (its storage kept from record to
// record), separators included. Raises what reading raises; LINE then holds part of a line.
void BuildRecordLine(std::string& line, std::vector<FieldText>& fields, const std::string& field_separator,
                     const std::string& record_separator, int record,
                     const std::function<void(int record, int field)>& before_value) {
  line.clear();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) line += field_separator;
    if (before_value) before_value(record, static_cast<int>(i));
    fields[i].AppendTo(line);
  }
  line += record_separator;
}

}  // namespace

bool TDataExport::MoveOn(TDataSet& dataset) {
  try {
    dataset.Next();
    return true;
  } catch (const std::exception&) {
  }
  // One more try: a record that cannot be left would otherwise count errors for ever.
  try {
    dataset.Next();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TDataExport::Export(TDataSet& dataset, const std::string& file_name, TProgressDialog* window) {
  indicator_.SetProgressMin(0);
  indicator_.SetProgressMax(std::max(dataset.RecordCount(), 0));
  indicator_.SetProgressPosition(indicator_.ProgressMin());
  const TBookmark bookmark = dataset.GetBookmark();
  exported_ = 0;
  failed_ = 0;
  file_name_ = file_name;

  Writer writer(file_name);
  std::string header;
  const std::vector<TField*>& fields = dataset.Fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) header += field_separator_;
    header += fields[i]->FieldName();
  }
  writer.WriteHeader(header + record_separator_);

  dataset.First();
  {
    ControlsDisabled quiet(dataset);
    QElapsedTimer since_messages;
    since_messages.start();
    int record = 0;
    std::vector<FieldText> texts(fields.begin(), fields.end());
    std::string line;
    line.reserve(256);
    while (!dataset.Eof() && !(window != nullptr && window->Cancelled())) {
      bool can_move = true;
      try {
        BuildRecordLine(line, texts, field_separator_, record_separator_, record, TEST_BeforeValue);
        const int lost = writer.Add(line);
        exported_ += 1 - lost;
        failed_ += lost;
      } catch (const std::exception&) {
        ++failed_;
      }
      can_move = MoveOn(dataset);
      if (TEST_AfterRecord) TEST_AfterRecord(record);
      ++record;
      // The bar moves with the window's events: a step per record would only repaint it.
      if (window != nullptr && since_messages.elapsed() >= kMessageIntervalMs) {
        indicator_.SetProgressPosition(record);
        window->ProcessMessages();
        since_messages.restart();
      }
      if (!can_move) break;
    }
    indicator_.SetProgressPosition(record);
    const int lost = writer.Flush();
    exported_ -= lost;
    failed_ += lost;
    if (window != nullptr) window->SetCancelled(false);
    if (!bookmark.empty()) {
      try {
        dataset.GotoBookmark(bookmark);
      } catch (const std::exception&) {
        // The record left may be gone (deleted meanwhile): the export itself stands.
      }
    }
  }
}

}  // namespace qb
