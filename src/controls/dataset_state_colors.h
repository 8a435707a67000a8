// controls/dataset_state_colors: the colour each dataset state gives the data-access controls
// (and the media player's screen). Every entry starts as the system's window background; the
// program never changes the table, an application may. Process-wide, GUI thread only.
#pragma once
#include <QColor>
#include <array>

#include "framework/data/data_types.h"

namespace qb {

inline constexpr int kDataSetStateCount = dsInternalCalc + 1;

// The table, indexed by TDataSetState; filled with the window background on first use.
std::array<QColor, kDataSetStateCount>& DataSetStateColors();
// The colour of STATE (the inactive one for a value outside the table).
QColor DataSetStateColor(TDataSetState state);

}  // namespace qb
