// jet/recordset/recordset_cache: a dynaset's cache of rows read from a data source: CacheStart
// and FillCache, which reads a run of the rows held again from the server at once.
#include <optional>
#include <set>

#include "jet/base/errors.h"
#include "jet/recordset/recordset.h"
#include "jet/recordset/recordset_state.h"

namespace qb::jet {
namespace {

void RequireDynaset(const RecordsetState& s, const char* what) {
  if (s.type != kOpenDynaset) RaiseNotForThisKind(what);
}

bool GivenBookmark(const Variant& bookmark) { return !bookmark.IsEmpty() && !bookmark.IsNull(); }

}  // namespace

Variant Recordset::CacheStart() const {
  const RecordsetState& s = State();
  RequireDynaset(s, "CacheStart");
  return s.cache_start;
}

void Recordset::SetCacheStart(const Variant& bookmark) {
  RecordsetState& s = State();
  RequireDynaset(s, "CacheStart");
  PositionOfBookmark(s, bookmark);  // one of this recordset's, else kBadBookmark
  s.cache_start = bookmark;
}

void Recordset::FillCache(std::int64_t rows, const Variant& start_bookmark) {
  RecordsetState& s = State();
  RequireDynaset(s, "FillCache");
  if (rows < 0) RaiseJetError(err::kInvalidArgument, "FillCache cannot read a negative count of rows.");
  if (rows == 0) rows = s.cache_size;
  std::optional<std::int64_t> from;
  if (GivenBookmark(start_bookmark)) {
    from = PositionOfBookmark(s, start_bookmark);
  } else if (GivenBookmark(s.cache_start)) {
    from = PositionOfBookmark(s, s.cache_start);
  } else if (s.place == Place::kAt) {
    from = s.pos;
  } else {
    from = NextPosition(s, -1);
  }
  // A database file's rows are read where they are kept at every visit: nothing to fill.
  if (!s.mirror || !s.Keyed() || rows == 0 || !from) return;
  std::set<std::int64_t> rowids;
  for (std::int64_t n = 0; from && n < rows; ++n, from = NextPosition(s, *from)) {
    if (!s.Keys().IsDeleted(*from)) rowids.insert(s.Keys().KeyAt(*from));
  }
  // The rows read again show on the next visit (the mirror counts a Rewrite).
  s.mirror->Refresh(rowids);
}

}  // namespace qb::jet
