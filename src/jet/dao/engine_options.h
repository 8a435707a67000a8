// jet/dao/engine_options: the values the object model takes and gives beyond its own classes: the
// engine's settings (CreateDBEngine), the sort orders a database is created or compacted with,
// the Jet data type codes of fields and parameters, and the measure of text that names and
// passwords are checked by. Their homes are in base/; this hands them on.
#pragma once

#include "jet/base/engine_settings.h"
#include "jet/base/jet_types.h"
#include "jet/base/sort_orders.h"
#include "jet/base/unicode_text.h"
