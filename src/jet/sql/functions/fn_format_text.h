// jet/sql/functions/fn_format_text: the text patterns of Format: "@" (a character or a space), "&" (a
// character or nothing), "<" and ">" (lower and upper case), "!" (fill the placeholders from the
// left), with "quoted" and \c literals; a second ";" section serves Null and "". Internal to
// fn_format.
#pragma once
#include <string_view>

#include "com/variant.h"

namespace qb::jet::sql {

// True when FORMAT holds one of @ & < > ! outside quotes and escapes (a text pattern).
bool IsTextFormat(std::string_view format);

// VALUE (as CStr gives it) laid out by the text pattern FORMAT. Placeholders are filled from the
// right unless "!" is given; characters beyond the placeholders stand before the first one (from
// the left: after the last one). Null and "" take the second section when there is one; Null
// stays Null otherwise.
Variant FormatText(const Variant& value, std::string_view format);

}  // namespace qb::jet::sql
