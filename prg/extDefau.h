#pragma once
// A file name with a default extension.
#include <string>

#include "Value.h"

// The trimmed name, with `extension` (trimmed, given a leading ".") appended when the
// name has no extension of its own. A name ending in "." keeps its explicitly empty
// extension. A name that is not text is ""; an extension that is not text is ".".
std::string EXTDEFAULT(const Value& file, const Value& extension);
