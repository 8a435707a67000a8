// cli/query_params: the "--param NAME=VALUE" words the row commands share: taken out of the
// command's words (the option may repeat) and matched to the parameters a statement declares.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "com/variant.h"

namespace qb::cli {

struct GivenParam {
  std::string name;
  std::string text;
};

// A parameter as the statement or saved query declares it.
struct DeclaredParam {
  std::string name;
  int dao_type = 0;
};

// Removes every "--param NAME=VALUE" and "--param=NAME=VALUE" from WORDS and returns them in
// order. Raises UsageError for a --param without a value, without "=" or with an empty NAME.
std::vector<GivenParam> TakeParams(std::vector<std::string>& words);

// The values for DECLARED, in its order: each GIVEN parameter converted by its declared type
// (ParameterValue), Empty where none was given (the engine then reports the missing ones).
// Names match with ASCII case ignored. Raises UsageError for a name DECLARED lacks (listing
// those it has), for a name given twice, and for a value that does not convert.
std::vector<Variant> ParamValues(const std::vector<DeclaredParam>& declared, const std::vector<GivenParam>& given);

}  // namespace qb::cli
