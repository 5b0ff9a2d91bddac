#include "platform/qt/QtFormControl.h"

#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"

#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

namespace tavlin {

// Hands the widget's focus changes, Enter key and mouse clicks to the engine's events.
class QtFormControlFilter : public QObject {
public:
    QtFormControlFilter(QObject* parent, FormControlEvents& events, bool reportsMouseClicks)
        : QObject(parent), events_(events), mouseClicks_(reportsMouseClicks) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (events_.OnFocusIn) {
                events_.OnFocusIn();
            }
            break;
        case QEvent::FocusOut:
            if (events_.OnFocusOut) {
                events_.OnFocusOut();
            }
            break;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && events_.OnKey && events_.OnKey(13)) {
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            if (mouseClicks_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
                events_.OnClick) {
                events_.OnClick();
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    FormControlEvents& events_;
    bool mouseClicks_;
};

namespace {

QWidget* MakeWidget(FormControlKind kind, QWidget* parent) {
    switch (kind) {
    case FormControlKind::Edit:
        return new QLineEdit(parent);
    case FormControlKind::Button:
        return new QPushButton(parent);
    case FormControlKind::CheckBox:
        return new QCheckBox(parent);
    case FormControlKind::RadioButton: {
        // Every radio button stands alone; the form groups them by name.
        auto* radio = new QRadioButton(parent);
        radio->setAutoExclusive(false);
        radio->setAutoFillBackground(true);
        return radio;
    }
    case FormControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        list->setUniformItemSizes(true);
        return list;
    }
    case FormControlKind::ComboBox: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(false);
        return combo;
    }
    case FormControlKind::Memo:
        return new QPlainTextEdit(parent);
    }
    return nullptr;
}

} // namespace

QtFormControl::QtFormControl(FormControlKind kind, QWidget* surface, QWidget* shelf)
    : kind_(kind), surface_(surface), shelf_(shelf), widget_(MakeWidget(kind, shelf)) {
    widget_->hide();
    widget_->setFocusPolicy(Qt::StrongFocus);
    const bool mouseClicks = kind == FormControlKind::Edit || kind == FormControlKind::Memo;
    filter_ = new QtFormControlFilter(widget_, events_, mouseClicks);
    widget_->installEventFilter(filter_);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(widget_.data())) {
        area->viewport()->installEventFilter(filter_);
    }
    setWrap(MemoWrap::Soft);
    Connect();
}

QtFormControl::~QtFormControl() {
    // The widget's last focus change must not reach an engine object that is going away.
    events_ = {};
    delete widget_.data();
}

void QtFormControl::Connect() {
    const auto click = [this] {
        if (events_.OnClick) {
            events_.OnClick();
        }
    };
    if (auto* button = qobject_cast<QPushButton*>(widget_.data())) {
        QObject::connect(button, &QPushButton::clicked, filter_, click);
    } else if (auto* radio = qobject_cast<QRadioButton*>(widget_.data())) {
        // A click on a checked radio button keeps it checked.
        QObject::connect(radio, &QRadioButton::clicked, filter_, [radio, click] {
            radio->setChecked(true);
            click();
        });
    } else if (auto* check = qobject_cast<QCheckBox*>(widget_.data())) {
        QObject::connect(check, &QCheckBox::clicked, filter_, click);
    } else if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        QObject::connect(list, &QListWidget::itemClicked, filter_, click);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
        QObject::connect(combo, &QComboBox::activated, filter_, click);
    }
}

void QtFormControl::setEvents(FormControlEvents events) {
    events_ = std::move(events);
}

QString QtFormControl::ToQt(std::string_view bytes) const {
    return QString::fromStdString(toUtf8(bytes, charSet_));
}

std::string QtFormControl::FromQt(const QString& text) const {
    return fromUtf8(text.toStdString(), charSet_);
}

void QtFormControl::setBounds(const Rect& bounds) {
    const QRect geometry(bounds.left, bounds.top, std::max(bounds.width(), 0), std::max(bounds.height(), 0));
    if (geometry != widget_->geometry()) {
        widget_->setGeometry(geometry);
    }
}

Rect QtFormControl::bounds() const {
    const QRect r = widget_->geometry();
    return Rect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

Size QtFormControl::Chrome() const {
    auto* area = qobject_cast<QAbstractScrollArea*>(widget_.data());
    if (!area) {
        return {0, 0};
    }
    const int frame = 2 * area->frameWidth();
    const int bar = widget_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, widget_);
    const bool vBar = area->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    const bool hBar = area->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    return {frame + (vBar ? bar : 0), frame + (hBar ? bar : 0)};
}

Size QtFormControl::clientSize() const {
    const Size chrome = Chrome();
    return {std::max(widget_->width() - chrome.cx, 0), std::max(widget_->height() - chrome.cy, 0)};
}

void QtFormControl::setClientSize(int width, int height) {
    const Size chrome = Chrome();
    widget_->resize(std::max(width + chrome.cx, 0), std::max(height + chrome.cy, 0));
}

void QtFormControl::setShown(bool shown) {
    if (shown == this->shown()) {
        return;
    }
    if (shown) {
        widget_->setParent(surface_);
        widget_->show();
        // Showing posts the widget a repaint for later, which would paint it a second time
        // after the surface's own paint; asking now paints it once, with the surface.
        QCoreApplication::removePostedEvents(widget_, QEvent::UpdateLater);
        widget_->update();
    } else {
        widget_->setParent(shelf_); // hides it
    }
}

bool QtFormControl::shown() const {
    return widget_->parentWidget() == surface_ && !widget_->isHidden();
}

void QtFormControl::setFont(const FontDesc& font, Color color) {
    charSet_ = font.charSet;
    QFont qfont(QString::fromStdString(font.name));
    qfont.setPixelSize(std::max(font.height, 1));
    qfont.setBold(font.bold());
    qfont.setItalic(font.italic());
    qfont.setUnderline(font.underline());
    qfont.setStrikeOut(font.strikeOut());
    widget_->setFont(qfont);
    // A palette of its own makes every move between shelf and surface resolve it again: a
    // widget whose text has the inherited colour keeps the inherited palette.
    const QColor text = QtCanvas::toQColor(color);
    QPalette palette = widget_->palette();
    if (palette.color(QPalette::Text) != text || palette.color(QPalette::ButtonText) != text) {
        palette.setColor(QPalette::Text, text);
        palette.setColor(QPalette::ButtonText, text);
        widget_->setPalette(palette);
    }
}

void QtFormControl::setText(std::string_view text) {
    const QString value = ToQt(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget_.data())) {
        edit->setText(value);
    } else if (auto* memo = qobject_cast<QPlainTextEdit*>(widget_.data())) {
        // The engine's line ends are CR LF, the memo's LF.
        memo->setPlainText(QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    } else if (auto* button = qobject_cast<QAbstractButton*>(widget_.data())) {
        button->setText(value);
    }
}

std::string QtFormControl::text() const {
    if (auto* edit = qobject_cast<QLineEdit*>(widget_.data())) {
        return FromQt(edit->text());
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget_.data())) {
        return FromQt(memo->toPlainText().replace(QChar('\n'), QStringLiteral("\r\n")));
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget_.data())) {
        return FromQt(button->text());
    }
    return {};
}

void QtFormControl::setMaxLength(int length) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget_.data())) {
        edit->setMaxLength(length > 0 ? length : 32767);
    }
}

void QtFormControl::setPasswordEcho(bool on) {
    if (auto* edit = qobject_cast<QLineEdit*>(widget_.data())) {
        edit->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
        // Every character shows as an asterisk, whatever the style's own mask. Style sheets are
        // costly: plain edit boxes get none.
        if (on || !edit->styleSheet().isEmpty()) {
            edit->setStyleSheet(on ? QStringLiteral("QLineEdit { lineedit-password-character: 42; }")
                                   : QString());
        }
    }
}

void QtFormControl::setChecked(bool checked) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget_.data())) {
        button->setChecked(checked);
    }
}

bool QtFormControl::checked() const {
    auto* button = qobject_cast<QAbstractButton*>(widget_.data());
    return button && button->isChecked();
}

void QtFormControl::setMultiSelect(bool on) {
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        list->setSelectionMode(on ? QAbstractItemView::ExtendedSelection
                                  : QAbstractItemView::SingleSelection);
    }
}

void QtFormControl::setItems(const std::vector<std::string>& items) {
    QStringList texts;
    texts.reserve(qsizetype(items.size()));
    for (const std::string& item : items) {
        texts.append(ToQt(item));
    }
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        list->clear();
        list->addItems(texts);
        list->setCurrentRow(-1);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
        combo->clear();
        combo->addItems(texts);
        combo->setCurrentIndex(-1);
    }
}

int QtFormControl::itemCount() const {
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        return list->count();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
        return combo->count();
    }
    return 0;
}

std::string QtFormControl::itemText(int index) const {
    if (index < 0 || index >= itemCount()) {
        return {};
    }
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        return FromQt(list->item(index)->text());
    }
    auto* combo = qobject_cast<QComboBox*>(widget_.data());
    return FromQt(combo->itemText(index));
}

void QtFormControl::setItemSelected(int index, bool selected) {
    auto* list = qobject_cast<QListWidget*>(widget_.data());
    if (list && index >= 0 && index < list->count()) {
        list->item(index)->setSelected(selected);
    }
}

bool QtFormControl::itemSelected(int index) const {
    auto* list = qobject_cast<QListWidget*>(widget_.data());
    if (!list || index < 0 || index >= list->count()) {
        return false;
    }
    if (list->selectionMode() == QAbstractItemView::SingleSelection) {
        return list->currentRow() == index;
    }
    return list->item(index)->isSelected();
}

void QtFormControl::setCurrentItem(int index) {
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        if (list->selectionMode() == QAbstractItemView::SingleSelection) {
            list->setCurrentRow(index);
        } else {
            // Moving the current row of a multiple list keeps the selection as it is.
            list->setCurrentRow(index, QItemSelectionModel::NoUpdate);
        }
    } else if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
        combo->setCurrentIndex(index < combo->count() ? index : -1);
    }
}

int QtFormControl::currentItem() const {
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        return list->currentRow();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget_.data())) {
        return combo->currentIndex();
    }
    return -1;
}

int QtFormControl::topItem() const {
    auto* list = qobject_cast<QListWidget*>(widget_.data());
    if (!list || list->count() == 0) {
        return 0;
    }
    const QModelIndex top = list->indexAt(QPoint(0, 0));
    return top.isValid() ? top.row() : list->verticalScrollBar()->value();
}

void QtFormControl::scrollToTop() {
    if (auto* list = qobject_cast<QListWidget*>(widget_.data())) {
        list->scrollToTop();
    }
}

void QtFormControl::setWrap(MemoWrap wrap) {
    wrap_ = wrap;
    auto* memo = qobject_cast<QPlainTextEdit*>(widget_.data());
    if (!memo) {
        return;
    }
    memo->setLineWrapMode(wrap == MemoWrap::Off ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
    memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo->setHorizontalScrollBarPolicy(wrap == MemoWrap::Off ? Qt::ScrollBarAlwaysOn
                                                             : Qt::ScrollBarAlwaysOff);
}

void QtFormControl::moveCaretToStart() {
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget_.data())) {
        memo->moveCursor(QTextCursor::Start);
    }
}

std::vector<std::string> QtFormControl::displayedLines() const {
    std::vector<std::string> lines;
    auto* memo = qobject_cast<QPlainTextEdit*>(widget_.data());
    if (!memo) {
        return lines;
    }
    // The lines are broken as the memo breaks them, at the width of its text area, whether or
    // not it has been shown yet.
    const QTextDocument* document = memo->document();
    const qreal width = std::max<qreal>(clientSize().cx - 2 * document->documentMargin(), 1);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        const QString text = block.text();
        if (wrap_ == MemoWrap::Off || text.isEmpty()) {
            lines.push_back(FromQt(text));
            continue;
        }
        QTextLayout layout(text, memo->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(width);
            lines.push_back(FromQt(text.mid(line.textStart(), line.textLength())));
        }
        layout.endLayout();
    }
    return lines;
}

void QtFormControl::setFocus() {
    // A widget on the shelf cannot take the focus; the engine places it once it has it.
    setShown(true);
    widget_->setFocus(Qt::OtherFocusReason);
}

bool QtFormControl::hasFocus() const {
    // The engine asks every control at each scroll: the application's one focus widget is the
    // cheap answer (these widgets have no focus proxy).
    return QApplication::focusWidget() == widget_;
}

QtFormControlFactory::QtFormControlFactory(QWidget* surface)
    : surface_(surface), shelf_(new QWidget(surface)) {
    shelf_->hide();
}

std::unique_ptr<FormControl> QtFormControlFactory::create(FormControlKind kind) {
    return std::make_unique<QtFormControl>(kind, surface_, shelf_);
}

int QtFormControlFactory::scrollBarWidth() const {
    return surface_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, surface_);
}

} // namespace tavlin
