#pragma once
// Pieces every dialog window shares: the title label, the button row, the rule
// that Escape closes nothing, the first-show hook and the guarded connect.
#include "toolkit/Dialoge.h"

#include <QObject>
#include <QString>
#include <concepts>
#include <functional>
#include <initializer_list>

class QDialog;
class QHBoxLayout;
class QLineEdit;
class QSize;
class QLabel;
class QMenu;
class QAction;
class QPushButton;
class QWidget;

// A label that shows its text as typed, never as markup (a name like
// "<b>Kaa</b>" stays as it is); `name` is its object name.
QLabel *TextLabel(QWidget *parent, const QString &text = {}, const QString &name = {});

// The title label at a dialog's top right, named "titel": Arial 16 pixels
// high, bold and italic, right-aligned, plain text.
QLabel *TitelLabel(QWidget *parent, const QString &text);

// A fixed dialog border: title bar with system menu and close box, but no
// minimise or maximise box, as the window cannot change its size. Where the
// window manager offers them all the same, the dialog stays as it is
// (NurNormalGross).
void FesterRahmen(QWidget *dialog);

// The dialog's "OK" button, named "Button1" and the default, at the right of
// the row returned for the dialog's layout.
QHBoxLayout *OkZeile(QWidget *dialog, QPushButton *&ok);

// A push button with its object name; its caption is also what screen readers say.
QPushButton *Knopf(QWidget *parent, const QString &caption, const QString &name);

// The button row at a dialog's bottom right: a stretch, then `knoepfe` in order.
QHBoxLayout *KnopfZeile(std::initializer_list<QPushButton *> knoepfe);

// Escape closes nothing in `dialog` (its close box still does): a key the focused
// control left unused travels up to the dialog, whose own handler would reject it.
void EscapeSperren(QDialog *dialog);

// Runs `befehl` once, behind the error guard, the first time `fenster` is shown,
// after the window's own show handling.
void BeimErstenZeigen(QWidget *fenster, std::function<void()> befehl);

// Moves a window so its whole frame, title bar included as far as the window
// system has told it, lies within the available area of its screen (not
// below a panel or the screen's edge); one larger than that area keeps its
// top left corner in it.
void RahmenEinpassen(QWidget *fenster);

// Connects `signal` of `sender` to `befehl`, run behind the error guard of `ziel`,
// so no failure reaches Qt's event loop. `befehl` takes the signal's values or none.
template <typename Sender, typename Signal, typename Befehl>
QMetaObject::Connection BewachtVerbinden(Sender *sender, Signal signal, QWidget *ziel, Befehl befehl)
{
    return QObject::connect(
        sender, signal, ziel,
        [ ziel, befehl ](const auto &...werte) requires std::invocable<const Befehl &, decltype(werte)...> {
            Bewacht(ziel, [&] { befehl(werte...); });
        });
}

// A small input dialog laid out: its parts, left unconnected.
struct DialogGeruest {
    QLabel *titel;
    QPushButton *abbrechen; // "Abbrechen", named Button3
    QPushButton *ok;        // "OK", named Button2, the default button
};

// Lays out a dialog: caption, the title label `titel` at the top right, `inhalt`
// below it, then "Abbrechen" and "OK" at the bottom right. The dialog keeps the
// size of its content behind a fixed border, and Escape does nothing in it.
DialogGeruest GeruestBauen(QDialog *dialog, const QString &caption, const QString &titel, QWidget *inhalt);

// Ties a caption label to its input: buddy and accessible name (the caption
// without its colon).
void Beschriften(QLabel *caption, QWidget *eingabe);

// Makes a field's capacity seen: when a key or a paste brings more text than
// `feld` can still take (its maxLength), the field stops as before and
// `melden` gets a hint saying how many characters fit; without `melden` the
// hint shows beside the field. An editable combo box's own field is watched
// through the box as well.
void LaengeZeigen(QLineEdit *feld, std::function<void(const QString &)> melden = {});
// The hint: "Hier passen höchstens 100 Zeichen hinein."
QString LaengeHinweis(int zeichen);

// The pop-up menu of a journal's rows, named "PopupMenu1": "&Ändern" (only
// `mitAendern`), "&Löschen", "Nach &Oben" and "Nach &Unten", with the object
// names the window gives its entries.
struct ZeilenMenue {
    QMenu *menue;
    QAction *aendern; // nullptr without `mitAendern`
    QAction *loeschen, *oben, *unten;
};
ZeilenMenue ZeilenMenueBauen(QWidget *parent, bool mitAendern, const QString &obenName, const QString &untenName);

// A menu caption as it reads: without the "&" that marks its mnemonic ("&&" is a literal "&").
QString OhneKuerzel(const QString &caption);

// The room a window has on its screen, its title bar and frame taken off: on a
// small screen at a large scale (1366 x 768 at 150 % leaves 910 x 512) a window
// must not reach beyond it.
QSize Bildschirmplatz(const QWidget *fenster);

// Makes a dialog of fixed size fit its screen: `nachgiebig`, the part that can
// do with less (a preview, a list), loses the height the dialog has too much.
void AufDenBildschirm(QWidget *dialog, QWidget *nachgiebig);
