#pragma once
#include "platform/FormControl.h"

#include <QPointer>
#include <QWidget>

namespace tavlin {

class QtFormControlFilter;

// A form control as a real widget on the view's drawing surface: QLineEdit, QPushButton,
// QCheckBox, QRadioButton, QListWidget, QComboBox or QPlainTextEdit by kind. The widget is
// deleted with the control (or earlier with its surface).
//
// While hidden, the widget waits on the shelf, a hidden child of the surface: the toolkit walks
// every child of the surface whenever one is shown, moved or painted, so a page of thousands of
// controls scrolls at the speed of the few in view only if the others are not the surface's
// children. Moving between the two keeps the widget's state and its place in the Tab order.
class QtFormControl : public FormControl {
public:
    QtFormControl(FormControlKind kind, QWidget* surface, QWidget* shelf);
    ~QtFormControl() override;
    QtFormControl(const QtFormControl&) = delete;
    QtFormControl& operator=(const QtFormControl&) = delete;

    FormControlKind kind() const override { return kind_; }
    void setEvents(FormControlEvents events) override;

    void setBounds(const Rect& bounds) override;
    Rect bounds() const override;
    Size clientSize() const override;
    void setClientSize(int width, int height) override;
    void setShown(bool shown) override;
    bool shown() const override;
    bool isWindow() const override { return true; }

    void setFont(const FontDesc& font, Color color) override;
    void setText(std::string_view text) override;
    std::string text() const override;
    void setMaxLength(int length) override;
    void setPasswordEcho(bool on) override;
    void setChecked(bool checked) override;
    bool checked() const override;

    void setMultiSelect(bool on) override;
    void setItems(const std::vector<std::string>& items) override;
    int itemCount() const override;
    std::string itemText(int index) const override;
    void setItemSelected(int index, bool selected) override;
    bool itemSelected(int index) const override;
    void setCurrentItem(int index) override;
    int currentItem() const override;
    int topItem() const override;
    void scrollToTop() override;

    void setWrap(MemoWrap wrap) override;
    void moveCaretToStart() override;
    std::vector<std::string> displayedLines() const override;

    void setFocus() override;
    bool hasFocus() const override;

    QWidget* widget() const { return widget_; }

private:
    void Connect();
    Size Chrome() const;
    QString ToQt(std::string_view bytes) const;
    std::string FromQt(const QString& text) const;

    FormControlKind kind_;
    QWidget* surface_;
    QWidget* shelf_;
    QPointer<QWidget> widget_;
    QtFormControlFilter* filter_ = nullptr; // owned by the widget
    FormControlEvents events_;
    uint8_t charSet_ = 1;
    MemoWrap wrap_ = MemoWrap::Soft;
};

// Makes QtFormControls on one drawing surface, with the shelf their hidden widgets wait on.
class QtFormControlFactory : public FormControlFactory {
public:
    explicit QtFormControlFactory(QWidget* surface);
    std::unique_ptr<FormControl> create(FormControlKind kind) override;
    int scrollBarWidth() const override;

private:
    QWidget* surface_;
    QWidget* shelf_; // a child of the surface, which owns it
};

} // namespace tavlin
