// The named directories ("$(TempDir)" and friends) that the export registers
// on every call, as a process-wide pair of key and value lists. Nothing in
// the conversion expands them.
#pragma once

#include "text/str.h"

namespace tqxml {

// Stores `$(name)` = value, trailing "\" and "/" removed; an existing key's
// value is replaced. Safe to call from several threads.
void RegisterPathMacro(const char* name, const Str& value);

// Registers the export's names in their order.
void RegisterLibraryPathMacros();

} // namespace tqxml
