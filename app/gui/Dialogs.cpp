#include "app/gui/Dialogs.h"

#include <QDialog>
#include <utility>

namespace tavlin {

namespace {

ModalHook& modalHook() {
    static ModalHook hook;
    return hook;
}

struct KindLook {
    const char* caption;
    QMessageBox::Icon icon;
};

KindLook lookOf(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return {"Information", QMessageBox::Information};
    case MessageKind::Warning:
        return {"Warning", QMessageBox::Warning};
    case MessageKind::Confirmation:
        return {"Confirm", QMessageBox::Question};
    case MessageKind::Error:
        break;
    }
    return {"Error", QMessageBox::Critical};
}

} // namespace

int runModal(QDialog& dialog) {
    if (const ModalHook& hook = modalHook()) {
        return hook(dialog);
    }
    return dialog.exec();
}

ModalHook setModalHook(ModalHook hook) {
    return std::exchange(modalHook(), std::move(hook));
}

QMessageBox::StandardButton showMessage(QWidget* parent, MessageKind kind, const QString& text,
                                        QMessageBox::StandardButtons buttons) {
    const KindLook look = lookOf(kind);
    QMessageBox box(look.icon, QString::fromLatin1(look.caption), text, buttons, parent);
    const int result = runModal(box);
    return static_cast<QMessageBox::StandardButton>(result);
}

} // namespace tavlin
