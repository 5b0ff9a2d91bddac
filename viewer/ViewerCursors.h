#pragma once
#include <QCursor>

namespace tavlin {

// The viewer's own cursors, by their fixed numbers.
enum TCustomCursor : int {
    crLinkHand = 1,
    crTextCursor = 2,
    crUpDownCursor = 3,   // middle-button scroll mode
    crUpOnlyCursor = 4,   // scrolling up
    crDownOnlyCursor = 5, // scrolling down
};

// The cursor registered under the number (1-5); the arrow for any other number. Drawn on first
// use, so a GUI application must exist.
const QCursor& CustomCursor(int number);
// Which custom cursor a cursor is; 0 when it is none of them.
int CustomCursorNumber(const QCursor& cursor);

} // namespace tavlin
