// jet/odbc/connect_text: reading and writing ODBC connect texts.
#include "jet/odbc/connect_text.h"

#include <algorithm>
#include <cctype>

namespace qb::jet::odbc {
namespace {

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool HasOdbcPrefix(std::string_view text) { return text.size() >= 5 && SameKey(text.substr(0, 5), "ODBC;"); }

}  // namespace

std::vector<ConnectPair> ParseConnect(std::string_view text) {
  if (HasOdbcPrefix(text)) text.remove_prefix(5);
  std::vector<ConnectPair> pairs;
  std::size_t at = 0;
  while (at < text.size()) {
    const std::size_t end_of_key = text.find_first_of("=;", at);
    std::string_view key = Trim(text.substr(at, end_of_key == std::string_view::npos ? std::string_view::npos : end_of_key - at));
    if (end_of_key == std::string_view::npos || text[end_of_key] == ';') {
      if (!key.empty()) pairs.push_back({std::string(key), {}});
      if (end_of_key == std::string_view::npos) break;
      at = end_of_key + 1;
      continue;
    }
    std::size_t value_at = end_of_key + 1;
    while (value_at < text.size() && text[value_at] == ' ') ++value_at;
    std::string value;
    if (value_at < text.size() && text[value_at] == '{') {
      // A braced value runs to its closing brace; "}}" inside stands for one "}".
      std::size_t i = value_at + 1;
      for (; i < text.size(); ++i) {
        if (text[i] == '}') {
          if (i + 1 < text.size() && text[i + 1] == '}') {
            value += '}';
            ++i;
            continue;
          }
          break;
        }
        value += text[i];
      }
      const std::size_t next = text.find(';', i);
      at = next == std::string_view::npos ? text.size() : next + 1;
    } else {
      const std::size_t next = text.find(';', value_at);
      value = std::string(Trim(text.substr(value_at, next == std::string_view::npos ? std::string_view::npos : next - value_at)));
      at = next == std::string_view::npos ? text.size() : next + 1;
    }
    if (!key.empty()) pairs.push_back({std::string(key), std::move(value)});
  }
  return pairs;
}

std::string JoinConnect(const std::vector<ConnectPair>& pairs) {
  std::string text;
  for (const ConnectPair& pair : pairs) {
    if (!text.empty()) text += ';';
    text += pair.key;
    text += '=';
    const bool brace = pair.value.find_first_of(";{}") != std::string::npos ||
                       (!pair.value.empty() && (pair.value.front() == ' ' || pair.value.back() == ' '));
    if (!brace) {
      text += pair.value;
      continue;
    }
    text += '{';
    for (char c : pair.value) {
      text += c;
      if (c == '}') text += '}';
    }
    text += '}';
  }
  return text;
}

const std::string* FindConnectValue(const std::vector<ConnectPair>& pairs, std::string_view key) {
  for (const ConnectPair& pair : pairs) {
    if (SameKey(pair.key, key)) return &pair.value;
  }
  return nullptr;
}

void SetConnectValue(std::vector<ConnectPair>& pairs, std::string_view key, std::string value) {
  for (ConnectPair& pair : pairs) {
    if (SameKey(pair.key, key)) {
      pair.value = std::move(value);
      return;
    }
  }
  pairs.push_back({std::string(key), std::move(value)});
}

bool IsSecretKey(std::string_view key) { return SameKey(key, "PWD") || SameKey(key, "PASSWORD"); }

std::string WithoutPassword(std::string_view text) {
  std::vector<ConnectPair> pairs = ParseConnect(text);
  std::erase_if(pairs, [](const ConnectPair& pair) { return IsSecretKey(pair.key); });
  return (HasOdbcPrefix(text) ? "ODBC;" : "") + JoinConnect(pairs);
}

}  // namespace qb::jet::odbc
