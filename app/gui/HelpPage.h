#pragma once
#include <string>
#include <vector>

namespace tavlin {

// The lines of the help page "Where are my bookmark files?", as HTML for the viewer.
const std::vector<std::string>& helpPageLines();

} // namespace tavlin
