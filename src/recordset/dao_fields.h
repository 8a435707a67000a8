// recordset/dao_fields: the field classes the recordset makes for currency, date-time, blob,
// memo and graphic columns. For now they behave as the framework's classes they derive from.
#pragma once
#include "framework/data/blob_field.h"
#include "framework/data/field_classes.h"

namespace qb {

class TDAOCurrencyField : public TCurrencyField {
  Q_OBJECT
 public:
  explicit TDAOCurrencyField(QObject* owner = nullptr) : TCurrencyField(owner) {}
};

class TDAODateTimeField : public TDateTimeField {
  Q_OBJECT
 public:
  explicit TDAODateTimeField(QObject* owner = nullptr) : TDateTimeField(owner) {}
};

class TDAOBlobField : public TBlobField {
  Q_OBJECT
 public:
  explicit TDAOBlobField(QObject* owner = nullptr) : TBlobField(owner) {}
};

class TDAOMemoField : public TMemoField {
  Q_OBJECT
 public:
  explicit TDAOMemoField(QObject* owner = nullptr) : TMemoField(owner) {}
};

class TDAOGraphicField : public TGraphicField {
  Q_OBJECT
 public:
  explicit TDAOGraphicField(QObject* owner = nullptr) : TGraphicField(owner) {}
};

}  // namespace qb
