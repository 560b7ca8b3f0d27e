#pragma once
// What the two result windows share beyond every dialog's parts: a plain label,
// a read-only text box that hands the focus on to the window's "OK" button, and
// the frame with the one button centred below.
#include <QString>
#include <functional>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class TZeilenText;

namespace Auswertungsteile {
// A label with fixed text, shown as plain text.
QLabel *text(QWidget *parent, const QString &name, const QString &text = {});
// The text box `RichEdit1`: read-only, vertical scroll bar, only the lines in
// view laid out; `beimFokus` runs whenever it receives the focus.
TZeilenText *textbox(QWidget *parent, std::function<void()> beimFokus);
// The result window's frame: `titel` on top, the framed content, and the one
// button centred below it.
void rahmen(QDialog *fenster, QLabel *titel, QWidget *inhalt, QPushButton *ok);
} // namespace Auswertungsteile
