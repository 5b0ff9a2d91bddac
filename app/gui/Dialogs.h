#pragma once
#include <QMessageBox>
#include <QString>
#include <functional>

class QDialog;
class QWidget;

namespace tavlin {

// Every modal dialog of the program (message boxes, file choosers, the about box, the print and
// font dialogs, the folder browser) is run through runModal, so that a test can answer it instead
// of a user: it installs a hook that looks at the dialog, fills it in and returns its result.
using ModalHook = std::function<int(QDialog& dialog)>;

// Runs the dialog modally (QDialog::exec) unless a hook is installed; returns the dialog's result.
int runModal(QDialog& dialog);
// Installs a hook (an empty one restores exec); returns the previous one.
ModalHook setModalHook(ModalHook hook);

// The kinds of message box the program shows, each with its standard caption and icon.
enum class MessageKind { Information, Warning, Confirmation, Error };

// A message box with the given text and buttons; returns the button chosen (the escape button's
// value when the box is closed otherwise).
QMessageBox::StandardButton showMessage(QWidget* parent, MessageKind kind, const QString& text,
                                        QMessageBox::StandardButtons buttons = QMessageBox::Ok);

} // namespace tavlin
