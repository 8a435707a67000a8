// recordset/dao_field_hooks: the installed field class and blob stream makers.
#include "recordset/dao_field_hooks.h"

#include <utility>

namespace qb {
namespace {

DAOFieldClassHook& FieldClassHook() {
  static DAOFieldClassHook hook = nullptr;
  return hook;
}

DAOBlobStreamFactory& BlobStreamFactory() {
  static DAOBlobStreamFactory factory = nullptr;
  return factory;
}

}  // namespace

DAOFieldClassHook SetDAOFieldClassHook(DAOFieldClassHook hook) { return std::exchange(FieldClassHook(), hook); }

DAOBlobStreamFactory SetDAOBlobStreamFactory(DAOBlobStreamFactory factory) {
  return std::exchange(BlobStreamFactory(), factory);
}

DAOFieldClassHook InstalledDAOFieldClassHook() { return FieldClassHook(); }

DAOBlobStreamFactory InstalledDAOBlobStreamFactory() { return BlobStreamFactory(); }

}  // namespace qb
