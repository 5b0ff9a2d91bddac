#include "platform/HeadlessFormControl.h"

#include <algorithm>

namespace tavlin {

Size HeadlessFormControl::Chrome() const {
    switch (kind_) {
    case FormControlKind::Edit:
        return {2 * kFrame, 2 * kFrame};
    case FormControlKind::ListBox:
        return {2 * kFrame + kScrollBar, 2 * kFrame};
    case FormControlKind::Memo:
        return {2 * kFrame + kScrollBar, 2 * kFrame + (wrap_ == MemoWrap::Off ? kScrollBar : 0)};
    default:
        return {0, 0};
    }
}

Size HeadlessFormControl::clientSize() const {
    const Size chrome = Chrome();
    return {std::max(bounds_.width() - chrome.cx, 0), std::max(bounds_.height() - chrome.cy, 0)};
}

void HeadlessFormControl::setClientSize(int width, int height) {
    const Size chrome = Chrome();
    bounds_.right = bounds_.left + width + chrome.cx;
    bounds_.bottom = bounds_.top + height + chrome.cy;
}

void HeadlessFormControl::setText(std::string_view text) {
    text_ = std::string(maxLength_ > 0 && kind_ == FormControlKind::Edit && text.size() > size_t(maxLength_)
                            ? text.substr(0, size_t(maxLength_))
                            : text);
}

void HeadlessFormControl::setMaxLength(int length) {
    maxLength_ = std::max(length, 0);
    setText(text_);
}

void HeadlessFormControl::setItems(const std::vector<std::string>& items) {
    items_ = items;
    selected_.assign(items_.size(), false);
    current_ = -1;
}

std::string HeadlessFormControl::itemText(int index) const {
    return InRange(index) ? items_[size_t(index)] : std::string();
}

void HeadlessFormControl::setItemSelected(int index, bool selected) {
    if (InRange(index)) {
        selected_[size_t(index)] = selected;
    }
}

bool HeadlessFormControl::itemSelected(int index) const {
    if (!InRange(index)) {
        return false;
    }
    return multi_ ? bool(selected_[size_t(index)]) : index == current_;
}

void HeadlessFormControl::setCurrentItem(int index) {
    current_ = InRange(index) ? index : -1;
}

std::vector<std::string> HeadlessFormControl::displayedLines() const {
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(std::move(line));
            line.clear();
            if (c == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n') {
                ++i;
            }
        } else {
            line += c;
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

void HeadlessFormControl::setFocus() {
    if (focused_) {
        return;
    }
    focused_ = true;
    if (events_.OnFocusIn) {
        events_.OnFocusIn();
    }
}

void HeadlessFormControl::clearFocus() {
    if (!focused_) {
        return;
    }
    focused_ = false;
    if (events_.OnFocusOut) {
        events_.OnFocusOut();
    }
}

} // namespace tavlin
