// fields/dao_currency_field: TDAOCurrencyField, the field of engine currency columns: an exact
// amount in ten-thousandths, shown as money with Precision decimals, with an optional range.
#pragma once
#include "framework/data/field_classes.h"

namespace qb {

// The buffer holds the amount x 10000 as 64 bits, as the engine exchanges it.
class TDAOCurrencyField : public TCurrencyField {
  Q_OBJECT

 public:
  explicit TDAOCurrencyField(QObject* owner = nullptr);

  // The range is checked exactly when MinValue or MaxValue is not 0.
  Currency MinValue() const { return min_; }
  void SetMinValue(Currency value);
  Currency MaxValue() const { return max_; }
  void SetMaxValue(Currency value);
  bool CheckRange() const { return check_range_; }
  // Decimals of the display text without a display format: 0 to 15 (limited), default 2.
  int Precision() const { return precision_; }
  void SetPrecision(int precision);

  // Outside the range: the framework's range error (65295), nothing stored.
  void SetAsCurrency(Currency value) override;
  // Empty text clears the field; text that is no amount raises EDAOError 65229.
  void SetAsString(const std::string& value) override;

 protected:
  // Display: DisplayFormat, else money with Precision decimals. Editing: EditFormat, else
  // DisplayFormat when its text reads back as the same amount, else the plain amount.
  std::string GetText(bool display) const override;

 private:
  Currency min_;
  Currency max_;
  bool check_range_ = false;
  int precision_ = 2;
};

}  // namespace qb
