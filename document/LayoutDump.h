#pragma once
#include <string>

namespace tavlin {

class TSectionList;
class Canvas;

// The laid-out document as an indented text tree: every content list, block (box, position,
// size), list item (marker), rule, page break, text section (positions, text with control
// characters escaped, font runs) and line. Used by `tavlin dump --layout` and by the layout
// reference tests, so a change of layout shows as a change of this text.
std::string DumpLayoutTree(const TSectionList& document, int height, int scrollWidth);

// Paints the whole laid-out document once (onto any canvas), so that objects in text know where
// they stand before the tree is dumped.
void PlaceObjects(TSectionList& document, Canvas& canvas, int width, int height);

} // namespace tavlin
