#pragma once
#include <string>

namespace tavlin {

class TSectionList;

// The laid-out document as an indented text tree: every content list, block (box, position,
// size), list item (marker), rule, page break, text section (positions, text with control
// characters escaped, font runs) and line. Used by `tavlin dump --layout` and by the layout
// reference tests, so a change of layout shows as a change of this text.
std::string DumpLayoutTree(const TSectionList& document, int height, int scrollWidth);

} // namespace tavlin
