// fields/dao_field_registration: the makers the recordset calls.
#include "fields/dao_field_registration.h"

#include "fields/dao_blob_stream.h"
#include "fields/dao_currency_field.h"
#include "fields/dao_datetime_field.h"
#include "fields/dao_graphic_field.h"
#include "fields/dao_memo_field.h"
#include "recordset/dao_base_recordset.h"
#include "recordset/dao_field_hooks.h"

namespace qb {

namespace {

template <class F>
TField* Make(QObject* owner) {
  return new F(owner);
}

TFieldFactory FieldClassFor(TFieldType type) {
  switch (type) {
    case ftCurrency: return &Make<TDAOCurrencyField>;
    case ftDateTime: return &Make<TDAODateTimeField>;
    case ftBlob:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary: return &Make<TDAOBlobField>;
    case ftMemo: return &Make<TDAOMemoField>;
    case ftGraphic: return &Make<TDAOGraphicField>;
    default: return nullptr;
  }
}

std::unique_ptr<TBlobStream> MakeStream(TDAOBaseRecordset& recordset, TField* field, TBlobStreamMode mode,
                                        std::shared_ptr<jet::RecordsetField> engine_field) {
  return std::make_unique<TDAOBlobStream>(&recordset, mode, std::move(engine_field), field);
}

}  // namespace

void RegisterDAOFieldClasses() {
  SetDAOFieldClassHook(&FieldClassFor);
  SetDAOBlobStreamFactory(&MakeStream);
}

}  // namespace qb
