// jet/dao/error_numbers: the engine's error numbers for callers that test EOleException::ErrorCode()
// (and RaiseJetError for tools that raise the engine's errors themselves). The numbers live in
// base/errors.h and, for the SQL parser's, sql/parse/sql_errors.h; this only hands them on.
#pragma once

#include "jet/base/errors.h"
#include "jet/sql/parse/sql_errors.h"
