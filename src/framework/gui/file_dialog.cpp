// framework/gui/file_dialog: filter and extension rules of the file dialogs; pure text work.
#include "framework/gui/file_dialog.h"

namespace qb {
namespace {

std::string Trim(const std::string& text) {
  size_t begin = text.find_first_not_of(" \t");
  if (begin == std::string::npos) return {};
  size_t end = text.find_last_not_of(" \t");
  return text.substr(begin, end - begin + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
    if (at == std::string::npos) return parts;
    start = at + 1;
  }
}

// The description without a trailing "(...)" group (and the blanks before it).
std::string WithoutPatternTail(const std::string& description) {
  std::string trimmed = Trim(description);
  if (trimmed.empty() || trimmed.back() != ')') return trimmed;
  size_t open = trimmed.rfind('(');
  if (open == std::string::npos) return trimmed;
  return Trim(trimmed.substr(0, open));
}

}  // namespace

std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter) {
  std::vector<FileFilterEntry> entries;
  if (filter.empty()) return entries;
  std::vector<std::string> parts = Split(filter, '|');
  for (size_t i = 0; i < parts.size(); i += 2) {
    FileFilterEntry entry;
    entry.description = Trim(parts[i]);
    if (i + 1 < parts.size()) {
      for (const std::string& pattern : Split(parts[i + 1], ';')) {
        std::string trimmed = Trim(pattern);
        if (!trimmed.empty()) entry.patterns.push_back(trimmed);
      }
    }
    if (entry.description.empty() && entry.patterns.empty()) continue;  // "a|b|" leaves an empty tail
    if (entry.patterns.empty()) entry.patterns.push_back("*");
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::vector<std::string> ToQtNameFilters(const std::string& filter) {
  std::vector<std::string> result;
  for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
    std::string patterns;
    for (const std::string& pattern : entry.patterns) {
      if (!patterns.empty()) patterns += ' ';
      patterns += pattern == "*.*" ? "*" : pattern;
    }
    std::string description = WithoutPatternTail(entry.description);
    result.push_back(description.empty() ? "(" + patterns + ")"
                                         : description + " (" + patterns + ")");
  }
  return result;
}

bool HasFileExtension(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  size_t dot = name.rfind('.');
  return dot != std::string::npos && dot != 0 && dot + 1 < name.size();
}

std::string ApplyDefaultExtension(const std::string& path, const std::string& default_ext) {
  std::string ext = default_ext;
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  if (path.empty() || ext.empty() || HasFileExtension(path)) return path;
  if (path.back() == '/') return path;  // a folder, not a file name
  if (path.back() == '.') return path + ext;
  return path + "." + ext;
}

}  // namespace qb
