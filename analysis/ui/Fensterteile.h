#pragma once
// What the two result windows share: the title label at the top right and a
// read-only text box that hands the focus on to the window's "OK" button.
#include <QString>
#include <functional>

class QDialog;
class QLabel;
class QPushButton;
class QWidget;
class TZeilenText;

namespace Fensterteile {
// The title label `titel`: Arial, 16 pixels high, bold and italic, right-aligned.
QLabel *titel(QWidget *parent, const QString &text = {});
// A label with fixed text, shown as plain text.
QLabel *text(QWidget *parent, const QString &name, const QString &text = {});
// The text box `RichEdit1`: read-only, vertical scroll bar, only the lines in
// view laid out; `beimFokus` runs whenever it receives the focus.
TZeilenText *textbox(QWidget *parent, std::function<void()> beimFokus);
// The result window's frame: `titel` on top, the framed content, and the one
// button centred below it.
void rahmen(QDialog *fenster, QLabel *titel, QWidget *inhalt, QPushButton *ok);
} // namespace Fensterteile
