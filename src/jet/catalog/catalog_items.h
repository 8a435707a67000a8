// jet/catalog/catalog_items: the collection type of the catalog's objects (TableDefs, QueryDefs,
// Containers, Documents): items by position or by name, re-read by Refresh. Holds a snapshot;
// reads nothing itself but through the loader it was given.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "jet/base/errors.h"
#include "jet/base/unicode_text.h"

namespace qb::jet {

template <class T>
class CatalogItems {
 public:
  using Loader = std::function<std::vector<std::shared_ptr<T>>()>;

  // WHAT names the collection in messages ("TableDefs"). LOADER gives the current items; it
  // raises the owner's error (kObjectClosed once the database is closed).
  CatalogItems(std::string what, Loader loader) : what_(std::move(what)), loader_(std::move(loader)) {
    items_ = loader_();
  }

  int Count() const { return static_cast<int>(items_.size()); }

  // The item at INDEX (from 0); kItemNotFound outside 0 .. Count() - 1.
  std::shared_ptr<T> Item(int index) const {
    if (index < 0 || index >= Count()) {
      RaiseJetError(err::kItemNotFound, "There is no item " + std::to_string(index) + " in " + what_ + ".");
    }
    return items_[static_cast<std::size_t>(index)];
  }

  // The item named NAME, case ignored; kItemNotFound when there is none.
  std::shared_ptr<T> Item(std::string_view name) const {
    const std::string folded = FoldCase(name);
    for (const auto& item : items_) {
      if (FoldCase(item->Name()) == folded) return item;
    }
    RaiseJetError(err::kItemNotFound, "There is no item named '" + std::string(name) + "' in " + what_ + ".");
  }

  // Re-reads the items; objects handed out before keep their values.
  void Refresh() { items_ = loader_(); }

 private:
  std::string what_;                      // constant after construction
  Loader loader_;                         // constant after construction
  std::vector<std::shared_ptr<T>> items_;
};

}  // namespace qb::jet
