// app/dbtools/db_option_tables: the tables themselves.
#include "app/dbtools/db_option_tables.h"

namespace qb {

const std::vector<TDBOptionEntry>& SortOrderTable() {
  static const std::vector<TDBOptionEntry> table = {
      {"Neutral", 1024},
      {"Arabic", 1025},
      {"Cyrillic", 1049},
      {"Czech", 1029},
      {"Dutch", 1043},
      {"General", 1033},
      {"Greek", 1032},
      {"Hebrew", 1037},
      {"Hungarian", 1038},
      {"Icelandic", 1039},
      {"Norwegian / Danish", 1030},
      {"Paradox International", 1033},
      {"Paradox Norwegian / Danish", 1030},
      {"Paradox Swedish / Finnish", 1053},
      {"Polish", 1045},
      {"Spanish", 1034},
      {"Swedish / Finnish", 1053},
      {"Turkish", 1055},
      {"Japanese", 1041},
      {"Simplified Chinese", 2052},
      {"Traditional Chinese", 1028},
      {"Korean", 1042},
      {"Thai", 1054},
      {"Slovenian", 1060},
      {"Undefined", -1},
  };
  return table;
}

const std::vector<TDBOptionEntry>& JetVersionTable() {
  static const std::vector<TDBOptionEntry> table = {
      {"Jet Version 1.0", 1},
      {"Jet Version 1.1", 8},
      {"Jet Version 2.0", 16},
      {"Jet Version 3.0", 32},
  };
  return table;
}

}  // namespace qb
