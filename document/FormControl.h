#pragma once
#include "document/FloatingObj.h"
#include "platform/FormControl.h"
#include "reader/HtmlSymbol.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavlin {

class ThtmlForm;
class TImageObj;
class TSectionList;
class TAttributeList;
class TProperties;

// Limits that keep hostile pages bounded: no control grows past this many pixels, no list
// past this many options, no text area past this many bytes of initial text.
inline constexpr int kMaxControlExtent = 10000;
inline constexpr int kMaxOptions = 10000;
inline constexpr size_t kMaxInitialText = size_t(1) << 20;

// One form control standing in text: it reads its tag's attributes, owns its platform control,
// sizes it before layout, answers its submission, resets, takes preset values and draws a picture
// of itself where there is no window (printing, headless views).
class TFormControlObj : public TFloatingObj {
public:
    TFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos);
    ~TFormControlObj() override;

    int32_t SourcePos = 0;
    TSectionList* Owner = nullptr;
    ThtmlForm* Form = nullptr;
    std::string Value;
    std::string Name;
    std::string OnClickText;
    int SpecHeight = 0;
    int SpecWidth = 0;
    FontDesc Font;
    Color FontColor = 0;
    std::unique_ptr<FormControl> Control; // none for hidden and image inputs

    // The kind's name for layout dumps ("edit", "button", ...).
    virtual const char* KindName() const = 0;
    // Whether it stands in the text (hidden and image inputs do not themselves).
    virtual bool InLine() const { return true; }

    // The operations in slot order.
    virtual void ApplyStyle(const TProperties& props);
    void Draw(Canvas& canvas, int x, int y) override;
    void Print(Canvas& canvas, int x, int y) override { DrawImitation(canvas, x, y); }
    virtual void Reset() {}
    // The submission string at index; false when index is out of range.
    virtual bool GetSubmission(int index, std::string& text) { return false; }
    virtual void SetData(int index, const std::string& text) {}
    virtual void Clear() {}
    virtual void SetSize(Canvas& canvas) {}

    // The control was clicked (the platform's click, or the viewer's for an image input).
    virtual void Clicked() { ObjectClick(); }
    // The builder has given every option or the whole text.
    virtual void ContentComplete() {}

    // Where it was painted, or before its first paint where layout put its line.
    int YPosition() const override;
    void PrepareForLayout(Canvas& canvas) override;
    void HideWindow() override;
    void ParkWindow() override;
    bool HasFocus() const override;
    bool TakesFocus() const override { return Control != nullptr; }
    // Controls are shared by reference with the print copy, never copied.
    std::unique_ptr<TFloatingObj> CloneFor(TSectionList& document) const override { return nullptr; }

protected:
    // Makes the platform control through the document's factory, parked out of sight.
    FormControl& MakeControl(FormControlKind kind, int width, int height);
    // The printed picture at x, y (view coordinates).
    virtual void DrawImitation(Canvas& canvas, int x, int y) {}
    void ObjectClick();
    std::string Pair(const std::string& value) const { return Name + "=" + value; }
    void TakeControlSize();

private:
    void FocusIn();
    void FocusOut();
};

// INPUT of type text or password, or of any unknown type.
class TEditFormControlObj : public TFormControlObj {
public:
    TEditFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos, bool password);
    int Size = 15;
    const char* KindName() const override { return "edit"; }
    void ApplyStyle(const TProperties& props) override;
    void Reset() override;
    bool GetSubmission(int index, std::string& text) override;
    void SetData(int index, const std::string& text) override;
    void SetSize(Canvas& canvas) override;

protected:
    void DrawImitation(Canvas& canvas, int x, int y) override;

private:
    bool password_ = false;
};

enum class TButtonKind { Submit, Reset, Plain };

// INPUT of type submit, reset or button.
class TButtonFormControlObj : public TFormControlObj {
public:
    TButtonFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos,
                          TButtonKind kind);
    TButtonKind ButtonKind;
    const char* KindName() const override { return "button"; }
    void ApplyStyle(const TProperties& props) override;
    void SetSize(Canvas& canvas) override;
    void Clicked() override;

protected:
    void DrawImitation(Canvas& canvas, int x, int y) override;

private:
    std::string caption_;
};

// INPUT of type checkbox, and (derived) radio.
class TCheckBoxFormControlObj : public TFormControlObj {
public:
    TCheckBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos);
    bool InitiallyChecked = false;
    const char* KindName() const override { return "checkbox"; }
    void Reset() override;
    bool GetSubmission(int index, std::string& text) override;
    void SetData(int index, const std::string& text) override;
    void Clear() override;

protected:
    TCheckBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos,
                            FormControlKind kind, int width, int height);
    void DrawImitation(Canvas& canvas, int x, int y) override;
};

class TRadioButtonFormControlObj : public TCheckBoxFormControlObj {
public:
    TRadioButtonFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos);
    const char* KindName() const override { return "radio"; }
    void Clicked() override;

protected:
    void DrawImitation(Canvas& canvas, int x, int y) override;
};

// INPUT of type hidden: a pair in the submission and nothing on the screen.
class THiddenFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    const char* KindName() const override { return "hidden"; }
    bool InLine() const override { return false; }
    bool GetSubmission(int index, std::string& text) override;
    void SetData(int index, const std::string& text) override { Value = text; }
};

// INPUT of type image: shown by the picture object the section makes for it; a click on the
// picture submits the form with the point clicked.
class TImageFormControlObj : public TFormControlObj {
public:
    using TFormControlObj::TFormControlObj;
    int ClickX = -1;
    int ClickY = -1;
    int PendingX = 0; // the point the last hit test found, relative to the picture
    int PendingY = 0;
    TImageObj* Image = nullptr; // the picture that shows it, owned by its section
    const char* KindName() const override { return "image"; }
    bool InLine() const override { return false; }
    void ApplyStyle(const TProperties& props) override;
    bool GetSubmission(int index, std::string& text) override;
    void Clicked() override;
};

// One OPTION of a SELECT.
struct TFormOption {
    std::string Text;
    std::string Value;
    bool Selected = false;
};

// SELECT with MULTIPLE or a SIZE above 1.
class TListBoxFormControlObj : public TFormControlObj {
public:
    TListBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos);
    std::vector<TFormOption> Options;
    int Rows = -1;
    int LongestOption = 3;
    bool Multiple = false;
    const char* KindName() const override { return "listbox"; }
    void AddOption(TFormOption option);
    void ContentComplete() override { Reset(); }
    void Reset() override;
    bool GetSubmission(int index, std::string& text) override;
    void SetData(int index, const std::string& text) override;
    void SetSize(Canvas& canvas) override;

protected:
    TListBoxFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos,
                           FormControlKind kind);
    void MeasureOptions(Canvas& canvas);
    void RefillItems();
    void DrawImitation(Canvas& canvas, int x, int y) override;

private:
    bool measured_ = false;
};

// Any other SELECT: a drop-down list of fixed items.
class TComboFormControlObj : public TListBoxFormControlObj {
public:
    TComboFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos);
    const char* KindName() const override { return "combo"; }
    void Reset() override;
    bool GetSubmission(int index, std::string& text) override;
    void SetData(int index, const std::string& text) override;
    void SetSize(Canvas& canvas) override;

protected:
    void DrawImitation(Canvas& canvas, int x, int y) override;
};

// TEXTAREA.
class TTextAreaFormControlObj : public TFormControlObj {
public:
    TTextAreaFormControlObj(ThtmlForm& form, const TAttributeList& attributes, int32_t sourcePos);
    int Rows = 5;
    int Cols = 30;
    MemoWrap WrapMode = MemoWrap::Soft;
    std::string InitialText;
    const char* KindName() const override { return "textarea"; }
    void AddText(std::string_view text);
    void ContentComplete() override { Reset(); }
    void Reset() override;
    bool GetSubmission(int index, std::string& text) override;
    void SetData(int index, const std::string& text) override;
    void SetSize(Canvas& canvas) override;

protected:
    void DrawImitation(Canvas& canvas, int x, int y) override;
};

// Makes the control for an INPUT, SELECT or TEXTAREA tag and gives it to the form.
TFormControlObj& MakeFormControl(ThtmlForm& form, HtmlSymbol tag, const TAttributeList& attributes,
                                 int32_t sourcePos);

} // namespace tavlin
