#include "document/HtmlForm.h"

#include "document/SectionList.h"
#include "platform/HeadlessFormControl.h"
#include "reader/Attributes.h"
#include "reader/TextUtil.h"

namespace tavlin {

ThtmlForm::ThtmlForm(TSectionList& owner, const TAttributeList* attributes) : Owner(&owner) {
    if (attributes) {
        for (const TAttribute& a : *attributes) {
            switch (a.Symbol) {
            case attrMETHOD:
                FormMethod = a.Text.substr(0, 4);
                break;
            case attrACTION:
                FormAction = a.Text;
                break;
            case attrTARGET:
                FormTarget = a.Text;
                break;
            case attrENCTYPE:
                FormEncType = a.Text;
                break;
            default:
                break;
            }
        }
    }
}

ThtmlForm::~ThtmlForm() = default;

FormControlFactory& ThtmlForm::ControlFactory() const {
    if (Owner->FormHost && Owner->FormHost->Controls) {
        return *Owner->FormHost->Controls;
    }
    static HeadlessFormControlFactory headless;
    return headless;
}

TFormControlObj& ThtmlForm::AddControl(std::unique_ptr<TFormControlObj> control) {
    if (dynamic_cast<THiddenFormControlObj*>(control.get()) == nullptr) {
        ++NonHiddenCount;
    }
    if (Owner->FormControls) {
        Owner->FormControls->push_back(control.get());
    }
    Controls.push_back(std::move(control));
    return *Controls.back();
}

void ThtmlForm::RadioClicked(const TFormControlObj& control) {
    for (const auto& other : Controls) {
        if (other.get() != &control && dynamic_cast<TRadioButtonFormControlObj*>(other.get()) &&
            equalsNoCase(other->Name, control.Name)) {
            other->Control->setChecked(false);
        }
    }
}

void ThtmlForm::ResetControls() {
    for (const auto& control : Controls) {
        control->Reset();
    }
}

bool ThtmlForm::KeyPressed(const TFormControlObj& control, int key) {
    if (key != 13 || dynamic_cast<const TEditFormControlObj*>(&control) == nullptr) {
        return false;
    }
    Submit({});
    return true;
}

std::vector<std::string> ThtmlForm::Submission() const {
    std::vector<std::string> results;
    for (const auto& control : Controls) {
        std::string text;
        for (int index = 0; control->GetSubmission(index, text); ++index) {
            if (!text.empty()) {
                results.push_back(std::move(text));
            }
            text.clear();
        }
    }
    return results;
}

void ThtmlForm::Submit(const std::string& extra) {
    if (!Owner->FormHost || !Owner->FormHost->OnFormSubmit) {
        return;
    }
    TFormSubmission submission{FormAction, FormTarget, FormEncType, FormMethod, Submission()};
    if (!extra.empty()) {
        submission.Results.push_back(extra);
    }
    Owner->FormHost->OnFormSubmit(std::move(submission));
}

} // namespace tavlin
