// controls/file_drop: reading the dropped file into the control and the field.
#include "controls/file_drop.h"

#include <QFile>
#include <QMimeData>
#include <QUrl>

#include "core/exception.h"
#include "framework/controls/field_data_link.h"
#include "framework/data/blob_field.h"
#include "framework/data/dataset.h"
#include "framework/gui/screen_cursor.h"

namespace qb {

QString FirstDroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls()) return {};
  const QList<QUrl> urls = data->urls();
  // Only a file of this machine: a web address is never fetched.
  if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
  return urls.first().toLocalFile();
}

void DropFileIntoField(TFieldDataLink& link, const QString& path,
                       const std::function<void(const QString& path)>& load_control) {
  TDataSet* dataset = link.DataSet();
  if (!dataset || path.isEmpty()) return;
  if (dataset->State() == dsBrowse) dataset->Edit();
  if (dataset->State() != dsEdit && dataset->State() != dsInsert) return;
  ScopedCursor hourglass(crHourGlass);
  // The bytes are read before anything changes, so that an unreadable file leaves the control
  // and the field as they were.
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    throw Exception("Cannot read the file '" + path.toStdString() + "': " + file.errorString().toStdString());
  const QByteArray bytes = file.readAll();
  load_control(path);
  if (auto* blob = dynamic_cast<TBlobField*>(link.Field()))
    blob->SetAsBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
  else
    link.Modified();
}

}  // namespace qb
