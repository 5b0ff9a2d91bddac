#include "document/FormControl.h"

#include "document/HtmlForm.h"
#include "document/ImageObj.h"
#include "document/SectionList.h"
#include "reader/Attributes.h"
#include "reader/Properties.h"
#include "reader/TextUtil.h"

#include <algorithm>

namespace tavlin {

namespace {

// Where a control waits until the first paint places it.
constexpr int kParkedTop = -400;
constexpr int kParkedLeft = -4000;

int ClampExtent(int64_t pixels) {
    return int(std::clamp<int64_t>(pixels, 0, kMaxControlExtent));
}

// SIZE of an edit box: its number when positive; else a leading number before a comma or
// space ("20, 1"), 20 when that is no number; else 15.
int EditSize(const TAttribute& size) {
    if (size.NumValue > 0) {
        return size.NumValue;
    }
    const size_t comma = size.Text.find(',');
    const size_t space = size.Text.find(' ');
    if (comma == std::string::npos || space == std::string::npos || std::min(comma, space) == 0) {
        return 15;
    }
    const std::string_view head = std::string_view(size.Text).substr(0, std::min(comma, space));
    if (head.empty() || head.size() > 9 || !std::all_of(head.begin(), head.end(), isAsciiDigit)) {
        return 20;
    }
    return std::stoi(std::string(head));
}

} // namespace

// ---- the base ----

TFormControlObj::TFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos)
    : SourcePos(sourcePos), Owner(form.Owner), Form(&form) {
    ObjAlign = ABottom;
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrVALUE:
            Value = a.Text;
            break;
        case attrNAME:
            Name = a.Text;
            break;
        case attrONCLICK:
            OnClickText = a.Text;
            break;
        default:
            break;
        }
    }
    if (const std::string& id = attributes.IdValue(); !id.empty() && Owner->IDs) {
        Owner->IDs->AddObject(id, this);
    }
}

TFormControlObj::~TFormControlObj() {
    if (Control) {
        Control->setEvents({});
    }
}

FormControl& TFormControlObj::MakeControl(FormControlKind kind, int width, int height) {
    Control = Form->ControlFactory().create(kind);
    Control->setBounds(Rect{0, kParkedTop, width, kParkedTop + height});
    FormControlEvents events;
    events.OnClick = [this] { Clicked(); };
    events.OnKey = [this](int key) { return Form->KeyPressed(*this, key); };
    events.OnFocusIn = [this] { FocusIn(); };
    events.OnFocusOut = [this] { FocusOut(); };
    Control->setEvents(std::move(events));
    TakeControlSize();
    return *Control;
}

void TFormControlObj::TakeControlSize() {
    if (Control) {
        const Rect r = Control->bounds();
        ObjWidth = r.width();
        ObjHeight = r.height();
    }
}

void TFormControlObj::ApplyStyle(const TProperties& props) {
    const TMarginArray box = props.GetBoxMetrics(0, 0);
    const auto given = [](int32_t v) { return v != NotSet && v != AutoResult && v != AutoValue; };
    if (given(box[piMarginLeft])) {
        LeftSpace = std::clamp(box[piMarginLeft], 0, kMaxControlExtent);
    }
    if (given(box[piMarginRight])) {
        RightSpace = std::clamp(box[piMarginRight], 0, kMaxControlExtent);
    }
    if (given(box[piWidth]) && box[piWidth] > 0) {
        SpecWidth = std::min(box[piWidth], kMaxControlExtent);
    }
    if (given(box[piHeight]) && box[piHeight] > 0) {
        SpecHeight = std::min(box[piHeight], kMaxControlExtent);
    }
    AlignmentType align;
    if (props.GetVerticalAlign(align)) {
        ObjAlign = int(align);
    }
    const FontChoice font = props.GetFont();
    Font = font.desc;
    FontColor = font.color;
    if (Control) {
        Control->setFont(Font, FontColor);
    }
}

int TFormControlObj::YPosition() const {
    return ShowIt ? DrawYY : std::max(Owner->SourcePosToY(SourcePos), 0);
}

void TFormControlObj::PrepareForLayout(Canvas& canvas) {
    SetSize(canvas);
    TakeControlSize();
}

void TFormControlObj::Draw(Canvas& canvas, int x, int y) {
    if (!Control) {
        return;
    }
    if (!Control->isWindow()) {
        DrawImitation(canvas, x, y);
        return;
    }
    Control->setBounds(Rect{x, y, x + ObjWidth, y + ObjHeight});
    Control->setShown(true);
}

void TFormControlObj::HideWindow() {
    if (Control) {
        Control->setShown(false);
    }
}

void TFormControlObj::ParkWindow() {
    if (Control) {
        const Rect r = Control->bounds();
        Control->setBounds(Rect{kParkedLeft, r.top, kParkedLeft + r.width(), r.bottom});
        Control->setShown(true);
    }
}

bool TFormControlObj::HasFocus() const {
    return Control && Control->hasFocus();
}

void TFormControlObj::FocusIn() {
    if (Owner->Printing) {
        return;
    }
    if (Owner->OnControlEnter) {
        Owner->OnControlEnter(this);
    }
    // The controls Tab reaches from here wait far left when out of view.
    Owner->HideControls();
}

void TFormControlObj::FocusOut() {
    Owner->HideControls();
}

void TFormControlObj::ObjectClick() {
    if (Owner->FormHost && Owner->FormHost->OnObjectClick) {
        Owner->FormHost->OnObjectClick(*this, OnClickText);
    }
}

// ---- edit box ----

TEditFormControlObj::TEditFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos,
                                         bool password)
    : TFormControlObj(form, attributes, sourcePos), password_(password) {
    FormControl& control = MakeControl(FormControlKind::Edit, 120, 20);
    if (const TAttribute* size = attributes.FindAttribute(attrSIZE)) {
        Size = EditSize(*size);
    }
    if (const TAttribute* length = attributes.FindAttribute(attrMAXLENGTH)) {
        control.setMaxLength(std::max(length->NumValue, 0));
    }
    control.setPasswordEcho(password);
    control.setText(Value);
}

void TEditFormControlObj::ApplyStyle(const TProperties& props) {
    TFormControlObj::ApplyStyle(props);
    Control->setText(Value); // the text again, in the character set of the font
}

void TEditFormControlObj::Reset() {
    Control->setText(Value);
}

bool TEditFormControlObj::GetSubmission(int index, std::string& text) {
    if (index != 0) {
        return false;
    }
    text = Pair(Control->text());
    return true;
}

void TEditFormControlObj::SetData(int index, const std::string& text) {
    Control->setText(text);
}

void TEditFormControlObj::SetSize(Canvas& canvas) {
    canvas.setFont(Font);
    const Rect r = Control->bounds();
    const int width = SpecWidth >= 10 ? SpecWidth : ClampExtent(int64_t(canvas.textWidth("0")) * Size + 5);
    const int height = std::max(r.height(), SpecHeight);
    Control->setBounds(Rect{r.left, r.top, r.left + width, r.top + height});
}

// ---- button ----

TButtonFormControlObj::TButtonFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                             int32_t sourcePos, TButtonKind kind)
    : TFormControlObj(form, attributes, sourcePos), ButtonKind(kind) {
    caption_ = Value;
    if (!attributes.FindAttribute(attrVALUE)) {
        caption_ = kind == TButtonKind::Submit ? "Submit" : kind == TButtonKind::Reset ? "Reset" : "Button";
        Value = caption_;
    }
    MakeControl(FormControlKind::Button, 75, 25).setText(caption_);
}

void TButtonFormControlObj::ApplyStyle(const TProperties& props) {
    TFormControlObj::ApplyStyle(props);
    Control->setText(caption_);
}

void TButtonFormControlObj::SetSize(Canvas& canvas) {
    canvas.setFont(Font);
    const int textHeight = canvas.textExtent("A").cy;
    const int height = SpecHeight >= textHeight ? SpecHeight : textHeight + 8;
    const int width = SpecWidth >= 10 ? SpecWidth : ClampExtent(int64_t(canvas.textWidth(caption_)) + 20);
    const Rect r = Control->bounds();
    Control->setBounds(Rect{r.left, r.top, r.left + width, r.top + height});
}

void TButtonFormControlObj::Clicked() {
    ObjectClick();
    if (ButtonKind == TButtonKind::Reset) {
        Form->ResetControls();
    } else if (ButtonKind == TButtonKind::Submit) {
        Form->Submit(Name.empty() ? std::string() : Pair(Value));
    }
}

// ---- check box and radio button ----

TCheckBoxFormControlObj::TCheckBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                                 int32_t sourcePos)
    : TCheckBoxFormControlObj(form, attributes, sourcePos, FormControlKind::CheckBox, 13, 13) {}

TCheckBoxFormControlObj::TCheckBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                                 int32_t sourcePos, FormControlKind kind, int width,
                                                 int height)
    : TFormControlObj(form, attributes, sourcePos) {
    ObjAlign = ABaseline;
    if (kind == FormControlKind::CheckBox && !attributes.FindAttribute(attrVALUE)) {
        Value = "on";
    }
    InitiallyChecked = attributes.FindAttribute(attrCHECKED) != nullptr;
    MakeControl(kind, width, height).setChecked(InitiallyChecked);
}

void TCheckBoxFormControlObj::Reset() {
    Control->setChecked(InitiallyChecked);
}

bool TCheckBoxFormControlObj::GetSubmission(int index, std::string& text) {
    if (index != 0) {
        return false;
    }
    text = Control->checked() ? Pair(Value) : std::string();
    return true;
}

void TCheckBoxFormControlObj::SetData(int index, const std::string& text) {
    Control->setChecked(equalsNoCase(text, Value));
}

void TCheckBoxFormControlObj::Clear() {
    Control->setChecked(false);
}

TRadioButtonFormControlObj::TRadioButtonFormControlObj(ThtmlForm& form, const TAttributeList& attributes,
                                                       int32_t sourcePos)
    : TCheckBoxFormControlObj(form, attributes, sourcePos, FormControlKind::RadioButton, 13, 14) {}

void TRadioButtonFormControlObj::Clicked() {
    Form->RadioClicked(*this);
    ObjectClick();
}

// ---- hidden and image inputs ----

bool THiddenFormControlObj::GetSubmission(int index, std::string& text) {
    if (index != 0) {
        return false;
    }
    text = Pair(Value);
    return true;
}

void TImageFormControlObj::ApplyStyle(const TProperties& props) {
    TFormControlObj::ApplyStyle(props);
    // The picture takes the style's sizes, margins and alignment as an image does; its own
    // ALIGN stays unless the style names one.
    if (Image) {
        Image->ApplyStyle(props);
    }
}

bool TImageFormControlObj::GetSubmission(int index, std::string& text) {
    if (ClickX < 0 || index > 1) {
        return false;
    }
    const std::string prefix = Name.empty() ? std::string() : Name + ".";
    text = prefix + (index == 0 ? "x=" + std::to_string(ClickX) : "y=" + std::to_string(ClickY));
    if (index == 1) {
        ClickX = -1;
    }
    return true;
}

void TImageFormControlObj::Clicked() {
    ObjectClick();
    ClickX = PendingX;
    ClickY = PendingY;
    Form->Submit({});
    ClickX = -1; // also when nobody asked for the submission
}

// ---- making them ----

TFormControlObj& MakeFormControl(ThtmlForm& form, HtmlSymbol tag, const TAttributeList& attributes,
                                 int32_t sourcePos) {
    std::unique_ptr<TFormControlObj> control;
    if (tag == tagTEXTAREA) {
        control = std::make_unique<TTextAreaFormControlObj>(form, attributes, sourcePos);
    } else if (tag == tagSELECT) {
        const TAttribute* size = attributes.FindAttribute(attrSIZE);
        if (attributes.FindAttribute(attrMULTIPLE) || (size && size->NumValue > 1)) {
            control = std::make_unique<TListBoxFormControlObj>(form, attributes, sourcePos);
        } else {
            control = std::make_unique<TComboFormControlObj>(form, attributes, sourcePos);
        }
    } else {
        std::string type;
        attributes.Find(attrTYPE, type);
        type = toLowerAscii(std::string_view(type).substr(0, 20));
        if (type == "submit" || type == "reset" || type == "button") {
            const TButtonKind kind = type == "submit"  ? TButtonKind::Submit
                                     : type == "reset" ? TButtonKind::Reset
                                                       : TButtonKind::Plain;
            control = std::make_unique<TButtonFormControlObj>(form, attributes, sourcePos, kind);
        } else if (type == "checkbox") {
            control = std::make_unique<TCheckBoxFormControlObj>(form, attributes, sourcePos);
        } else if (type == "radio") {
            control = std::make_unique<TRadioButtonFormControlObj>(form, attributes, sourcePos);
        } else if (type == "hidden") {
            control = std::make_unique<THiddenFormControlObj>(form, attributes, sourcePos);
        } else if (type == "image") {
            control = std::make_unique<TImageFormControlObj>(form, attributes, sourcePos);
        } else {
            control = std::make_unique<TEditFormControlObj>(form, attributes, sourcePos, type == "password");
        }
    }
    return form.AddControl(std::move(control));
}

} // namespace tavlin
