#pragma once
#include <functional>

namespace tavlin {

// Runs a command's work inside a GUI application on the offscreen platform, whatever the
// environment says: fonts and painting work, no display is needed or used. Returns its status.
int runHeadless(const std::function<int()>& work);

} // namespace tavlin
