// fields/dao_currency_field: range, text and display of currency values.
#include "fields/dao_currency_field.h"

#include "core/format.h"
#include "core/format_float.h"
#include "core/format_settings.h"
#include "core/resource_strings.h"
#include "engine/dao_errors.h"
#include "framework/data/data_errors.h"

namespace qb {

TDAOCurrencyField::TDAOCurrencyField(QObject* owner) : TCurrencyField(owner) {
  // Signs, digits and the decimal separator: no exponent letters for money.
  valid_chars_.reset();
  for (unsigned char c : std::string("+-0123456789")) valid_chars_.set(c);
  for (unsigned char c : CurrentFormatSettings().DecimalSeparator) valid_chars_.set(c);
}

void TDAOCurrencyField::SetMinValue(Currency value) {
  min_ = value;
  check_range_ = min_.Scaled() != 0 || max_.Scaled() != 0;
}

void TDAOCurrencyField::SetMaxValue(Currency value) {
  max_ = value;
  check_range_ = min_.Scaled() != 0 || max_.Scaled() != 0;
}

void TDAOCurrencyField::SetPrecision(int precision) {
  const int limited = precision < 0 ? 0 : precision > 15 ? 15 : precision;
  if (limited == precision_) return;
  precision_ = limited;
  PropertyChanged();
}

void TDAOCurrencyField::SetAsCurrency(Currency value) {
  if (check_range_ && (value < min_ || value > max_)) {
    DatabaseError(Format(ResString(kResFieldValueOutOfRange), value.ToDouble(), DisplayName(), min_.ToDouble(),
                         max_.ToDouble()));
  }
  TCurrencyField::SetAsCurrency(value);
}

void TDAOCurrencyField::SetAsString(const std::string& value) {
  if (value.empty()) {
    Clear();
    return;
  }
  Currency amount;
  try {
    amount = Currency::FromText(value);
  } catch (const EConvertError&) {
    RaiseDAOError(this, Format(ResString(kResInvalidCurrencyText), value, DisplayName()), "SetAsString");
  }
  SetAsCurrency(amount);
}

std::string TDAOCurrencyField::GetText(bool display) const {
  if (IsNull()) return {};
  const Currency value = AsCurrency();
  try {
    if (!display && !EditFormat().empty()) return FormatCurr(EditFormat(), value);
    if (!DisplayFormat().empty()) {
      std::string text = FormatCurr(DisplayFormat(), value);
      if (display) return text;
      // The edit text is typed back through SetAsString, which takes no thousands separators
      // or literal text: a display format that adds them would make an unchanged edit fail.
      try {
        if (Currency::FromText(text) == value) return text;
      } catch (const EConvertError&) {
      }
      return value.ToText();
    }
    return display ? MoneyText(value, precision_) : value.ToText();
  } catch (const EConvertError&) {
    RaiseDAOError(this, Format(ResString(kResInvalidCurrencyValue), DisplayName()), "GetText");
  }
}

}  // namespace qb
