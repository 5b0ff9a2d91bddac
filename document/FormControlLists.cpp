// The form controls with items or lines: list boxes, drop-down lists and text areas.
#include "document/FormControl.h"
#include "document/HtmlForm.h"
#include "reader/Attributes.h"
#include "reader/TextUtil.h"

#include <algorithm>

namespace tavlin {

namespace {

int ClampExtent(int64_t pixels) {
    return int(std::clamp<int64_t>(pixels, 0, kMaxControlExtent));
}

int LetterHeight(Canvas& canvas, const FontDesc& font) {
    canvas.setFont(font);
    return canvas.textExtent("A").cy;
}

// Sets the control's width, keeping its place and height.
void SetWidth(FormControl& control, int width) {
    const Rect r = control.bounds();
    control.setBounds(Rect{r.left, r.top, r.left + width, r.bottom});
}

void SetHeight(FormControl& control, int height) {
    const Rect r = control.bounds();
    control.setBounds(Rect{r.left, r.top, r.right, r.top + height});
}

} // namespace

// ---- list box ----

TListBoxFormControlObj::TListBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                               int32_t sourcePos)
    : TListBoxFormControlObj(form, attributes, sourcePos, FormControlKind::ListBox) {}

TListBoxFormControlObj::TListBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                               int32_t sourcePos, FormControlKind kind)
    : TFormControlObj(form, attributes, sourcePos) {
    Multiple = kind == FormControlKind::ListBox && attributes.FindAttribute(attrMULTIPLE) != nullptr;
    if (const TAttribute* size = attributes.FindAttribute(attrSIZE)) {
        Rows = std::max(size->NumValue, -1);
    }
    MakeControl(kind, 120, 60).setMultiSelect(Multiple);
}

void TListBoxFormControlObj::AddOption(TFormOption option) {
    if (Options.size() < size_t(kMaxOptions)) {
        Options.push_back(std::move(option));
        measured_ = false;
    }
}

void TListBoxFormControlObj::RefillItems() {
    std::vector<std::string> texts;
    texts.reserve(Options.size());
    for (const TFormOption& option : Options) {
        texts.push_back(option.Text);
    }
    Control->setItems(texts);
}

void TListBoxFormControlObj::Reset() {
    RefillItems();
    int current = -1;
    for (size_t i = 0; i < Options.size(); ++i) {
        if (Options[i].Selected) {
            current = int(i);
            if (Multiple) {
                Control->setItemSelected(current, true);
            }
        }
    }
    if (Multiple) {
        current = Options.empty() ? -1 : 0;
    }
    Control->setCurrentItem(current >= 0 || Options.empty() ? current : 0);
    Control->scrollToTop();
}

bool TListBoxFormControlObj::GetSubmission(int index, std::string& text) {
    if (index < 0 || size_t(index) >= Options.size()) {
        return false;
    }
    text = Control->itemSelected(index) ? Pair(Options[size_t(index)].Value) : std::string();
    return true;
}

void TListBoxFormControlObj::SetData(int index, const std::string& text) {
    if (index == 0) {
        for (int i = 0; i < int(Options.size()); ++i) {
            Control->setItemSelected(i, false);
        }
        if (!Multiple) {
            Control->setCurrentItem(Options.empty() ? -1 : 0);
        }
    }
    for (size_t i = 0; i < Options.size(); ++i) {
        if (equalsNoCase(Options[i].Value, text)) {
            if (Multiple) {
                Control->setItemSelected(int(i), true);
            } else {
                Control->setCurrentItem(int(i));
            }
        }
    }
    Control->scrollToTop();
}

void TListBoxFormControlObj::MeasureOptions(Canvas& canvas) {
    if (measured_) {
        return;
    }
    canvas.setFont(Font);
    LongestOption = 3;
    for (const TFormOption& option : Options) {
        LongestOption = std::max(LongestOption, canvas.textWidth(option.Text));
    }
    LongestOption = std::min(LongestOption, kMaxControlExtent);
    measured_ = true;
}

void TListBoxFormControlObj::SetSize(Canvas& canvas) {
    MeasureOptions(canvas);
    if (Rows < 0) {
        Rows = std::clamp(int(Options.size()), 1, 8);
    }
    const int clientHeight =
        SpecHeight >= 10 ? SpecHeight : ClampExtent(int64_t(LetterHeight(canvas, Font)) * Rows);
    Control->setClientSize(Control->clientSize().cx, clientHeight);
    const int scrollBar = Form->ControlFactory().scrollBarWidth();
    SetWidth(*Control, SpecWidth >= 10 ? SpecWidth : ClampExtent(int64_t(scrollBar) + LongestOption + 10));
}

// ---- drop-down list ----

TComboFormControlObj::TComboFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                           int32_t sourcePos)
    : TListBoxFormControlObj(form, attributes, sourcePos, FormControlKind::ComboBox) {}

void TComboFormControlObj::Reset() {
    RefillItems();
    int current = Options.empty() ? -1 : 0;
    for (size_t i = 0; i < Options.size(); ++i) {
        if (Options[i].Selected) {
            current = int(i);
        }
    }
    Control->setCurrentItem(current);
}

bool TComboFormControlObj::GetSubmission(int index, std::string& text) {
    if (index != 0) {
        return false;
    }
    const int current = Control->currentItem();
    text = current >= 0 && size_t(current) < Options.size() ? Pair(Options[size_t(current)].Value)
                                                            : std::string();
    return true;
}

void TComboFormControlObj::SetData(int index, const std::string& text) {
    for (size_t i = 0; i < Options.size(); ++i) {
        if (Options[i].Value == text) {
            Control->setCurrentItem(int(i));
        }
    }
}

void TComboFormControlObj::SetSize(Canvas& canvas) {
    MeasureOptions(canvas);
    SetHeight(*Control, SpecHeight > 9 ? SpecHeight : LetterHeight(canvas, Font) + 8);
    if (SpecWidth >= 10) {
        SetWidth(*Control, SpecWidth);
    } else {
        const int scrollBar = Form->ControlFactory().scrollBarWidth();
        Control->setClientSize(ClampExtent(int64_t(scrollBar) + LongestOption + 10),
                               Control->clientSize().cy);
    }
}

// ---- text area ----

TTextAreaFormControlObj::TTextAreaFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                                 int32_t sourcePos)
    : TFormControlObj(form, attributes, sourcePos) {
    for (const TAttribute& a : attributes) {
        if (a.Symbol == attrROWS && a.NumValue > 0) {
            Rows = a.NumValue;
        } else if (a.Symbol == attrCOLS && a.NumValue > 0) {
            Cols = a.NumValue;
        } else if (a.Symbol == attrWRAP) {
            const std::string wrap = toLowerAscii(a.Text);
            WrapMode = wrap == "off" ? MemoWrap::Off : wrap == "hard" ? MemoWrap::Hard : MemoWrap::Soft;
        }
    }
    MakeControl(FormControlKind::Memo, 185, 89).setWrap(WrapMode);
}

void TTextAreaFormControlObj::AddText(std::string_view text) {
    const size_t room = kMaxInitialText - std::min(InitialText.size(), kMaxInitialText);
    InitialText.append(text.substr(0, room));
}

void TTextAreaFormControlObj::Reset() {
    Control->setText(InitialText);
    Control->moveCaretToStart();
}

bool TTextAreaFormControlObj::GetSubmission(int index, std::string& text) {
    if (index != 0) {
        return false;
    }
    if (WrapMode != MemoWrap::Hard) {
        text = Pair(Control->text());
        return true;
    }
    // Hard wrapping submits the lines as shown, joined by line ends.
    const std::vector<std::string> lines = Control->displayedLines();
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        joined += i > 0 ? "\r\n" : "";
        joined += lines[i];
    }
    text = Pair(joined);
    return true;
}

void TTextAreaFormControlObj::SetData(int index, const std::string& text) {
    Control->setText(text);
}

void TTextAreaFormControlObj::SetSize(Canvas& canvas) {
    const int letterHeight = LetterHeight(canvas, Font);
    const int sWidth = canvas.textWidth("s");
    const Size client = Control->clientSize();
    Control->setClientSize(SpecWidth >= 10 ? client.cx : ClampExtent(int64_t(sWidth) * Cols + 5),
                           SpecHeight >= 10 ? client.cy : ClampExtent(int64_t(letterHeight) * Rows + 5));
    if (SpecWidth >= 10) {
        SetWidth(*Control, SpecWidth);
    }
    if (SpecHeight >= 10) {
        SetHeight(*Control, SpecHeight);
    }
}

} // namespace tavlin
