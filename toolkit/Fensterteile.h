#pragma once
// Pieces every dialog window shares.
#include <QString>

class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

// The title label at a dialog's top right, named "titel": Arial 16 pixels
// high, bold and italic, right-aligned, plain text.
QLabel *TitelLabel(QWidget *parent, const QString &text);

// A fixed dialog border: title bar with system menu and close box, but no
// minimise or maximise box, as the window cannot change its size.
void FesterRahmen(QWidget *dialog);

// The dialog's "OK" button, named "Button1" and the default, at the right of
// the row returned for the dialog's layout.
QHBoxLayout *OkZeile(QWidget *dialog, QPushButton *&ok);
