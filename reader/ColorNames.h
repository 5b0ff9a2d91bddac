#pragma once
#include "platform/Geometry.h"

#include <string_view>

namespace tavlin {

// The colour-name table (lower-case names, "transparent" included); values without the
// palette flag. False for a name not in the table.
bool LookupColorName(std::string_view lowerName, Color& result);

} // namespace tavlin
