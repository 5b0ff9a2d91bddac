#pragma once
#include "platform/Canvas.h"
#include "platform/Geometry.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// The kinds of platform control a document form can show.
enum class FormControlKind { Edit, Button, CheckBox, RadioButton, ListBox, ComboBox, Memo };

// How a memo breaks its lines: not at all (both scroll bars), at the edge (soft), or at the edge
// with the breaks kept when its text is read by lines (hard).
enum class MemoWrap { Off, Soft, Hard };

// What a control tells the engine. Any may stay empty.
struct FormControlEvents {
    std::function<void()> OnClick;
    // A character typed into the control; true when the engine consumed it.
    std::function<bool(int key)> OnKey;
    std::function<void()> OnFocusIn;
    std::function<void()> OnFocusOut;
};

// One platform control, a child of the view's drawing surface. It is made hidden; the engine
// moves, sizes and shows it. Text is the engine's 8-bit bytes in the font's character set.
// Operations a kind does not have are ignored (items of an edit box, checking a list).
class FormControl {
public:
    virtual ~FormControl() = default;

    virtual FormControlKind kind() const = 0;
    virtual void setEvents(FormControlEvents events) = 0;

    // Geometry in drawing-surface coordinates.
    virtual void setBounds(const Rect& bounds) = 0;
    virtual Rect bounds() const = 0;
    // The inner size, less frame and scroll bars; setting it resizes the control around it.
    virtual Size clientSize() const = 0;
    virtual void setClientSize(int width, int height) = 0;
    virtual void setShown(bool shown) = 0;
    virtual bool shown() const = 0;
    // True for a real window that shows itself; false for a control that only keeps state, which
    // the engine draws as its printed imitation.
    virtual bool isWindow() const = 0;

    virtual void setFont(const FontDesc& font, Color color) = 0;
    virtual void setText(std::string_view text) = 0;
    virtual std::string text() const = 0;
    virtual void setMaxLength(int length) = 0;
    virtual void setPasswordEcho(bool on) = 0;
    virtual void setChecked(bool checked) = 0;
    virtual bool checked() const = 0;

    // Lists and drop-down lists.
    virtual void setMultiSelect(bool on) = 0;
    virtual void setItems(const std::vector<std::string>& items) = 0;
    virtual int itemCount() const = 0;
    virtual std::string itemText(int index) const = 0;
    virtual void setItemSelected(int index, bool selected) = 0;
    virtual bool itemSelected(int index) const = 0;
    virtual void setCurrentItem(int index) = 0; // -1: none
    virtual int currentItem() const = 0;
    virtual int topItem() const = 0;
    virtual void scrollToTop() = 0;

    // Memos: the line breaking, the caret to the start, and the lines as shown.
    virtual void setWrap(MemoWrap wrap) = 0;
    virtual void moveCaretToStart() = 0;
    virtual std::vector<std::string> displayedLines() const = 0;

    virtual void setFocus() = 0;
    virtual bool hasFocus() const = 0;
};

// Makes the controls of one view; a document asks it for every control it builds.
class FormControlFactory {
public:
    virtual ~FormControlFactory() = default;
    virtual std::unique_ptr<FormControl> create(FormControlKind kind) = 0;
    // The width of a vertical scroll bar on this platform.
    virtual int scrollBarWidth() const = 0;
};

} // namespace tavlin
