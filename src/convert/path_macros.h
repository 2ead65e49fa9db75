// The named directories ("$(TempDir)" and friends) that the export registers
// on every call. Nothing in the conversion expands them; they are kept for
// the file layer's callers and for diagnostics.
#pragma once

#include "text/str.h"

namespace tqxml {

// Stores `$(name)` = value, trailing "\" and "/" removed; an existing key's
// value is replaced. Safe to call from several threads.
void RegisterPathMacro(const char* name, const Str& value);

// The value registered for `$(name)`; empty when there is none.
Str PathMacroValue(const char* name);

// Registers the export's names in their order.
void RegisterLibraryPathMacros();

} // namespace tqxml
