#include "analysis/ui/Auswertungsteile.h"

#include "toolkit/TZeilenText.h"

#include <QBoxLayout>
#include <QDialog>
#include <QEvent>
#include <QPushButton>
#include <QLabel>

namespace Auswertungsteile {

namespace {
class FokusWeiter : public QObject {
public:
    FokusWeiter(QObject *parent, std::function<void()> aufruf) : QObject(parent), f(std::move(aufruf)) {}

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::FocusIn)
            f();
        return QObject::eventFilter(o, e);
    }

private:
    std::function<void()> f;
};
} // namespace

QLabel *text(QWidget *parent, const QString &name, const QString &text)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    return l;
}

TZeilenText *textbox(QWidget *parent, std::function<void()> beimFokus)
{
    auto *t = new TZeilenText(parent);
    t->setObjectName(QStringLiteral("RichEdit1"));
    t->setAccessibleName(QStringLiteral("Ergebnis"));
    t->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    t->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    t->installEventFilter(new FokusWeiter(t, std::move(beimFokus)));
    return t;
}

void rahmen(QDialog *fenster, QLabel *titel, QWidget *inhalt, QPushButton *ok)
{
    auto *knopfZeile = new QHBoxLayout;
    knopfZeile->addStretch(1);
    knopfZeile->addWidget(ok);
    knopfZeile->addStretch(1);

    auto *layout = new QVBoxLayout(fenster);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(titel);
    layout->addWidget(inhalt, 1);
    layout->addLayout(knopfZeile);
}

} // namespace Auswertungsteile
