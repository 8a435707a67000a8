// jet/sql/functions/sqlite_aggregates: the aggregate state machines. Each keeps its state in SQLite's
// aggregate context and releases what it copied in its final step.
#include "jet/sql/functions/sqlite_aggregates.h"

#include <sqlcipher/sqlite3.h>

#include <cmath>

static_assert(SQLITE_VERSION_NUMBER == 3015002, "the engine is built for SQLite 3.15.2");

namespace qb::jet::sql {
namespace {

// First / Last: the kept value (a copy SQLite owns until freed) and whether one was seen.
struct PickState {
  sqlite3_value* value;
  int seen;
};

bool Included(int argc, sqlite3_value** argv) {
  if (argc < 2) return true;
  if (sqlite3_value_type(argv[1]) == SQLITE_NULL) return false;
  return sqlite3_value_double(argv[1]) != 0;
}

template <bool kLast>
void PickStep(sqlite3_context* context, int argc, sqlite3_value** argv) {
  auto* state = static_cast<PickState*>(sqlite3_aggregate_context(context, sizeof(PickState)));
  if (!state) {
    sqlite3_result_error_nomem(context);
    return;
  }
  if (!Included(argc, argv)) return;
  if (state->seen && !kLast) return;
  sqlite3_value* copy = sqlite3_value_dup(argv[0]);
  if (!copy) {
    sqlite3_result_error_nomem(context);
    return;
  }
  sqlite3_value_free(state->value);
  state->value = copy;
  state->seen = 1;
}

void PickFinal(sqlite3_context* context) {
  auto* state = static_cast<PickState*>(sqlite3_aggregate_context(context, 0));
  if (!state || !state->seen) {
    sqlite3_result_null(context);
    return;
  }
  sqlite3_result_value(context, state->value);
  sqlite3_value_free(state->value);
  state->value = nullptr;
}

// Welford's running mean and sum of squared deviations.
struct SpreadState {
  sqlite3_int64 count;
  double mean;
  double m2;
};

void SpreadStep(sqlite3_context* context, int, sqlite3_value** argv) {
  auto* state = static_cast<SpreadState*>(sqlite3_aggregate_context(context, sizeof(SpreadState)));
  if (!state) {
    sqlite3_result_error_nomem(context);
    return;
  }
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
  double x = sqlite3_value_double(argv[0]);
  ++state->count;
  double delta = x - state->mean;
  state->mean += delta / static_cast<double>(state->count);
  state->m2 += delta * (x - state->mean);
}

// KIND: bit 0 population (n) rather than sample (n - 1); bit 1 square root (deviation).
template <int kKind>
void SpreadFinal(sqlite3_context* context) {
  auto* state = static_cast<SpreadState*>(sqlite3_aggregate_context(context, 0));
  constexpr bool kPopulation = (kKind & 1) != 0;
  sqlite3_int64 needed = kPopulation ? 1 : 2;
  if (!state || state->count < needed) {
    sqlite3_result_null(context);
    return;
  }
  double divisor = static_cast<double>(kPopulation ? state->count : state->count - 1);
  double variance = state->m2 / divisor;
  if (variance < 0) variance = 0;
  sqlite3_result_double(context, (kKind & 2) ? std::sqrt(variance) : variance);
}

bool Add(sqlite3* db, const char* name, int args, void (*step)(sqlite3_context*, int,
                                                                 sqlite3_value**),
         void (*final)(sqlite3_context*)) {
  return sqlite3_create_function_v2(db, name, args, SQLITE_UTF8, nullptr, nullptr, step, final,
                                    nullptr) == SQLITE_OK;
}

}  // namespace

bool RegisterJetAggregates(sqlite3* db) {
  for (int args = 1; args <= 2; ++args) {
    if (!Add(db, "jet_first", args, PickStep<false>, PickFinal) ||
        !Add(db, "jet_last", args, PickStep<true>, PickFinal)) {
      return false;
    }
  }
  return Add(db, "jet_var", 1, SpreadStep, SpreadFinal<0>) &&
         Add(db, "jet_varp", 1, SpreadStep, SpreadFinal<1>) &&
         Add(db, "jet_stdev", 1, SpreadStep, SpreadFinal<2>) &&
         Add(db, "jet_stdevp", 1, SpreadStep, SpreadFinal<3>);
}

}  // namespace qb::jet::sql
