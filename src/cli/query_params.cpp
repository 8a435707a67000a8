// cli/query_params: --param words and their match to a statement's parameters.
#include "cli/query_params.h"

#include "cli/command_line.h"
#include "cli/value_text.h"

namespace qb::cli {
namespace {

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

std::vector<GivenParam> TakeParams(std::vector<std::string>& words) {
  std::vector<GivenParam> params;
  std::vector<std::string> rest;
  for (std::size_t i = 0; i < words.size(); ++i) {
    std::string assignment;
    if (words[i] == "--param") {
      if (i + 1 >= words.size()) throw UsageError("the option --param needs a value NAME=VALUE");
      assignment = words[++i];
    } else if (words[i].rfind("--param=", 0) == 0) {
      assignment = words[i].substr(8);
    } else {
      rest.push_back(words[i]);
      continue;
    }
    const std::size_t equals = assignment.find('=');
    if (equals == std::string::npos || equals == 0) {
      throw UsageError("the option --param takes NAME=VALUE, not '" + assignment + "'");
    }
    params.push_back({assignment.substr(0, equals), assignment.substr(equals + 1)});
  }
  words = std::move(rest);
  return params;
}

std::vector<Variant> ParamValues(const std::vector<DeclaredParam>& declared, const std::vector<GivenParam>& given) {
  std::vector<Variant> values(declared.size());
  std::vector<bool> set(declared.size(), false);
  for (const GivenParam& param : given) {
    std::size_t index = 0;
    while (index < declared.size() && !SameName(declared[index].name, param.name)) ++index;
    if (index == declared.size()) {
      std::string known;
      for (const DeclaredParam& candidate : declared) known += (known.empty() ? "" : ", ") + candidate.name;
      throw UsageError("the statement has no parameter '" + param.name + "' (" +
                       (known.empty() ? std::string("it has none") : "it has: " + known) + ")");
    }
    if (set[index]) throw UsageError("the parameter '" + declared[index].name + "' is given twice");
    values[index] = ParameterValue(declared[index].name, param.text, declared[index].dao_type);
    set[index] = true;
  }
  return values;
}

}  // namespace qb::cli
