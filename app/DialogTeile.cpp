#include "app/DialogTeile.h"

#include "toolkit/Fensterteile.h"

#include <QAbstractItemView>
#include <QBoxLayout>
#include <QComboBox>
#include <QLineEdit>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace DialogTeile {

namespace {
class EscapeSperre : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        // A key the focused control left unused travels up to the dialog, whose
        // own handler would reject it on Escape: stop it here.
        if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->matches(QKeySequence::Cancel)) {
            e->accept();
            return true;
        }
        return false;
    }
};
} // namespace

Geruest geruest(QDialog *dialog, const QString &caption, const QString &titel, QWidget *inhalt)
{
    dialog->setWindowTitle(caption);

    Geruest g;
    g.titel = TitelLabel(dialog, titel);

    g.abbrechen = knopf(dialog, QStringLiteral("Abbrechen"), QStringLiteral("Button3"));
    g.ok = knopf(dialog, QStringLiteral("OK"), QStringLiteral("Button2"));
    // OK answers Enter in the fields; a button that has the focus answers it itself,
    // so Enter on a focused "Abbrechen" never confirms.
    g.abbrechen->setAutoDefault(true);
    g.ok->setAutoDefault(true);
    g.ok->setDefault(true);

    auto *knoepfe = new QHBoxLayout;
    knoepfe->addStretch(1);
    knoepfe->addWidget(g.abbrechen);
    knoepfe->addWidget(g.ok);

    auto *layout = new QVBoxLayout(dialog);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addWidget(g.titel);
    layout->addWidget(inhalt);
    layout->addSpacing(4);
    layout->addLayout(knoepfe);

    dialog->installEventFilter(new EscapeSperre(dialog));
    return g;
}

QPushButton *knopf(QWidget *parent, const QString &caption, const QString &name)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(caption);
    return b;
}

void beschrifte(QLabel *caption, QWidget *eingabe)
{
    caption->setBuddy(eingabe);
    QString name = caption->text();
    if (name.endsWith(u':'))
        name.chop(1);
    eingabe->setAccessibleName(name);
    // A combo box's edit field and drop-down list are controls of their own to a screen reader.
    if (auto *box = qobject_cast<QComboBox *>(eingabe)) {
        if (box->lineEdit())
            box->lineEdit()->setAccessibleName(name);
        box->view()->setAccessibleName(name + QStringLiteral(": Auswahl"));
    }
}

} // namespace DialogTeile
