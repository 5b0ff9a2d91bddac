#pragma once
#include "document/FormControl.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavlin {

// What a form hands the view when it is submitted.
struct TFormSubmission {
    std::string Action;
    std::string Target;
    std::string EncType;
    std::string Method;
    std::vector<std::string> Results;
};

// What the view gives the forms of its document: the platform controls and its form events.
// Without a factory, controls keep their state headless; without handlers, nothing is submitted
// and clicks are not reported.
struct TFormHost {
    FormControlFactory* Controls = nullptr;
    std::function<void(TFormSubmission submission)> OnFormSubmit;
    std::function<void(TFormControlObj& control, const std::string& onClick)> OnObjectClick;
};

// One FORM (or the implicit form of controls outside any): its controls in document order and
// how they are submitted.
class ThtmlForm {
public:
    // attributes null: the implicit form.
    ThtmlForm(TSectionList& owner, const TAttributeList* attributes);
    ~ThtmlForm();
    ThtmlForm(const ThtmlForm&) = delete;
    ThtmlForm& operator=(const ThtmlForm&) = delete;

    TSectionList* Owner;
    std::string FormMethod = "Get";
    std::string FormAction;
    std::string FormTarget;
    std::string FormEncType;
    std::vector<std::unique_ptr<TFormControlObj>> Controls;
    int NonHiddenCount = 0;

    TFormControlObj& AddControl(std::unique_ptr<TFormControlObj> control);
    // Unchecks every other radio button of the form with the same name, letter case ignored.
    void RadioClicked(const TFormControlObj& control);
    void ResetControls();
    // A key typed into a control; true when the form consumed it (Enter in an edit box submits).
    bool KeyPressed(const TFormControlObj& control, int key);
    std::vector<std::string> Submission() const;
    // Hands the submission (and the extra pair, when not empty) to the view's handler.
    void Submit(const std::string& extra);
    FormControlFactory& ControlFactory() const;
};

} // namespace tavlin
