#pragma once
#include "platform/FormControl.h"

namespace tavlin {

// A control without a window: it keeps what a real one would hold (bounds, text, checks, items,
// selection), so documents built without a screen submit, reset and print as on one. Frames and
// scroll bars have the classic sizes, so layouts are the same on every machine.
class HeadlessFormControl : public FormControl {
public:
    static constexpr int kFrame = 2; // sunken frame of edits, lists and memos
    static constexpr int kScrollBar = 16;

    explicit HeadlessFormControl(FormControlKind kind) : kind_(kind) {}

    FormControlKind kind() const override { return kind_; }
    void setEvents(FormControlEvents events) override { events_ = std::move(events); }
    const FormControlEvents& events() const { return events_; }

    void setBounds(const Rect& bounds) override { bounds_ = bounds; }
    Rect bounds() const override { return bounds_; }
    Size clientSize() const override;
    void setClientSize(int width, int height) override;
    void setShown(bool shown) override { shown_ = shown; }
    bool shown() const override { return shown_; }
    bool isWindow() const override { return false; }

    void setFont(const FontDesc& font, Color color) override {}
    void setText(std::string_view text) override;
    std::string text() const override { return text_; }
    void setMaxLength(int length) override;
    void setPasswordEcho(bool on) override {}
    void setChecked(bool checked) override { checked_ = checked; }
    bool checked() const override { return checked_; }

    void setMultiSelect(bool on) override { multi_ = on; }
    void setItems(const std::vector<std::string>& items) override;
    int itemCount() const override { return int(items_.size()); }
    std::string itemText(int index) const override;
    void setItemSelected(int index, bool selected) override;
    bool itemSelected(int index) const override;
    void setCurrentItem(int index) override;
    int currentItem() const override { return current_; }
    int topItem() const override { return 0; }
    void scrollToTop() override {}

    void setWrap(MemoWrap wrap) override { wrap_ = wrap; }
    void moveCaretToStart() override {}
    // The text's own lines (a headless memo has no width to wrap at).
    std::vector<std::string> displayedLines() const override;

    void setFocus() override;
    bool hasFocus() const override { return focused_; }
    // Takes the focus away, as a click elsewhere would.
    void clearFocus();

private:
    Size Chrome() const;
    bool InRange(int index) const { return index >= 0 && index < itemCount(); }

    FormControlKind kind_;
    FormControlEvents events_;
    Rect bounds_;
    bool shown_ = false;
    std::string text_;
    int maxLength_ = 0;
    bool checked_ = false;
    bool multi_ = false;
    std::vector<std::string> items_;
    std::vector<bool> selected_;
    int current_ = -1;
    MemoWrap wrap_ = MemoWrap::Soft;
    bool focused_ = false;
};

// Makes headless controls.
class HeadlessFormControlFactory : public FormControlFactory {
public:
    std::unique_ptr<FormControl> create(FormControlKind kind) override {
        return std::make_unique<HeadlessFormControl>(kind);
    }
    int scrollBarWidth() const override { return HeadlessFormControl::kScrollBar; }
};

} // namespace tavlin
