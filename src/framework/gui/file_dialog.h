// framework/gui/file_dialog: what a window asks of an open or save file dialog, and the pure rules
// around it (filter text in the "Description|*.ext|..." form, the default extension).
// Shows nothing and touches no file: the GUI services do both.
#pragma once
#include <string>
#include <vector>

namespace qb {

struct FileDialogRequest {
  std::string title;             // window title; empty: "Open" or "Save As"
  std::string filter;            // "Text Files (*.TXT)|*.TXT|All Files (*.*)|*.*"; empty: all files
  int filter_index = 1;          // 1-based entry of FILTER selected at start; out of range: the first
  std::string default_ext;       // "SQL" or ".SQL": added when the chosen name has no extension
  std::string initial_dir;       // folder shown first; empty: the folder of FILE_NAME, or the current one
  std::string file_name;         // name proposed at start (may carry a folder)
  bool must_exist = false;       // open dialog: the chosen file must exist
  bool overwrite_prompt = false; // save dialog: ask before an existing file is replaced
};

// One entry of a filter: its description and its patterns ("*.a", "*.b").
struct FileFilterEntry {
  std::string description;
  std::vector<std::string> patterns;
};

// Splits FILTER ("Description|*.ext|Description2|*.a;*.b") into its entries. Patterns are split at
// ';' and trimmed; empty patterns are dropped. A description with no pattern part (a trailing
// "|"-less description, or an empty pattern part) gets "*". Empty FILTER: no entries.
std::vector<FileFilterEntry> ParseFileFilter(const std::string& filter);

// The Qt name filters for FILTER, one per entry, as "Description (*.a *.b)". A parenthesised tail of
// the description ("All Files (*.*)") is replaced by the Qt pattern list, since Qt reads the
// patterns from it; "*.*" (every file, dotted or not) becomes "*". Empty FILTER: no entries.
std::vector<std::string> ToQtNameFilters(const std::string& filter);

// True when the last component of PATH has an extension: a '.' that is neither its first nor its
// last character ("a/b.c/file" has none, "file.txt" has, ".profile" and "file." have none).
bool HasFileExtension(const std::string& path);

// PATH with "." + DEFAULT_EXT appended when PATH has no extension and DEFAULT_EXT is not empty
// (a leading '.' of DEFAULT_EXT is ignored; "file." becomes "file.ext"); otherwise PATH unchanged.
// Empty PATH stays empty.
std::string ApplyDefaultExtension(const std::string& path, const std::string& default_ext);

}  // namespace qb
