#pragma once
// Pieces every dialog window shares.
#include <QString>
#include <functional>

class QHBoxLayout;
class QLineEdit;
class QSize;
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

// Makes a field's capacity seen: when a key or a paste brings more text than
// `feld` can still take (its maxLength), the field stops as before and
// `melden` gets a hint saying how many characters fit; without `melden` the
// hint shows beside the field. An editable combo box's own field is watched
// through the box as well.
void LaengeZeigen(QLineEdit *feld, std::function<void(const QString &)> melden = {});
// The hint: "Hier passen höchstens 100 Zeichen hinein."
QString LaengeHinweis(int zeichen);

// A menu caption as it reads: without the "&" that marks its mnemonic ("&&" is a literal "&").
QString OhneKuerzel(const QString &caption);

// The room a window has on its screen, its title bar and frame taken off: on a
// small screen at a large scale (1366 x 768 at 150 % leaves 910 x 512) a window
// must not reach beyond it.
QSize Bildschirmplatz(const QWidget *fenster);

// Makes a dialog of fixed size fit its screen: `nachgiebig`, the part that can
// do with less (a preview, a list), loses the height the dialog has too much.
void AufDenBildschirm(QWidget *dialog, QWidget *nachgiebig);
