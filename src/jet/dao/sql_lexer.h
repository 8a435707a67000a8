// jet/dao/sql_lexer: the engine's Jet SQL lexer for tools that split or read scripts the way the
// engine reads statements (its tokens, their descriptions in messages, and the syntax error
// numbers). The lexer lives in sql/parse/; this hands it on.
#pragma once

#include "jet/sql/parse/lexer.h"
#include "jet/sql/parse/sql_errors.h"
