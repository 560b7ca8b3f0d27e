#pragma once
// Pieces the small input dialogs share: the title label at the top right, the
// button row at the bottom right, and the rule that Escape closes nothing.
#include <QString>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;

namespace DialogTeile {
struct Geruest {
    QLabel *titel;
    QPushButton *abbrechen; // "Abbrechen", named Button3
    QPushButton *ok;        // "OK", named Button2, the default button
};

// Lays out a dialog: caption, the title label `titel` (Arial, bold italic) at
// the top right, `inhalt` below it, then "Abbrechen" and "OK" at the bottom
// right. The dialog keeps the size of its content, and Escape does nothing in
// it (the close box still closes it). The buttons are left unconnected.
Geruest geruest(QDialog *dialog, const QString &caption, const QString &titel, QWidget *inhalt);

// A push button with its object name; its caption is also what screen readers say.
QPushButton *knopf(QWidget *parent, const QString &caption, const QString &name);

// Ties a caption label to its input: buddy and accessible name (the caption
// without its colon).
void beschrifte(QLabel *caption, QWidget *eingabe);
} // namespace DialogTeile
