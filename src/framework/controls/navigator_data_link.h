// framework/controls/navigator_data_link: the link of a navigator bar: every change of the
// dataset's state or position makes the bar recompute which buttons are enabled.
#pragma once
#include <functional>

#include "framework/data/data_source.h"

namespace qb {

class TNavDataLink : public TDataLink {
 public:
  explicit TNavDataLink(std::function<void()> on_change) : on_change_(std::move(on_change)) {}

 protected:
  void ActiveChanged() override { on_change_(); }
  void EditingChanged() override { on_change_(); }
  void DataSetChanged() override { on_change_(); }
  void DataSetScrolled(int) override { on_change_(); }

 private:
  std::function<void()> on_change_;
};

}  // namespace qb
