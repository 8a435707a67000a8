// fields/dao_datetime_field: TDAODateTimeField, the field of engine date-time columns, whose
// text shows a time, a date or both according to the value itself.
#pragma once
#include "framework/data/field_classes.h"

namespace qb {

// The buffer holds the date serial as a double (days since 30 December 1899, the time of day
// as the fraction), as the engine exchanges it.
class TDAODateTimeField : public TDateTimeField {
  Q_OBJECT

 public:
  explicit TDAODateTimeField(QObject* owner = nullptr) : TDateTimeField(owner) {}

 protected:
  // For display with a DisplayFormat: that format. Otherwise by the value v: 0 gives "", a time
  // of day alone the long time format, a whole day the short date format, else short date and
  // long time.
  std::string GetText(bool display) const override;
};

}  // namespace qb
