#include "output/ui/TDruckvorschau.h"

#include "data/Fehler.h"
#include "output/ui/Druckmodul.h"
#include "output/ui/Druckseite.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Fensterteile.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTextEdit>
#include <memory>

TDruckvorschau::TDruckvorschau(QWidget *parent, const TSchlange &s) : QDialog(parent)
{
    setObjectName(QStringLiteral("Druckvorschau"));
    setWindowTitle(QStringLiteral("Druckvorschau"));

    titel = TitelLabel(this, QStringLiteral("Drucken"));

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Druckvorschau"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setLineWrapMode(QTextEdit::NoWrap);
    RichEdit1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette papier = RichEdit1->palette();
    papier.setColor(QPalette::Base, Qt::white);
    papier.setColor(QPalette::Text, Qt::black);
    RichEdit1->setPalette(papier);
    RichEdit1->setFixedSize(600, 420);
    // The page is looked at, never typed into: the focus stays on "Drucken",
    // and the keys that scroll reach the page from there.
    RichEdit1->setFocusPolicy(Qt::NoFocus);
    RichEdit1->installEventFilter(this);
    Druckseite::aufbauen(*RichEdit1->document(), Kontrollausdruck::absaetze(s), s.name());
    RichEdit1->moveCursor(QTextCursor::End);

    Button1 = Knopf(this, QStringLiteral("Abbrechen"), QStringLiteral("Button1"));
    Button2 = Knopf(this, QStringLiteral("Drucken"), QStringLiteral("Button2"));
    Button2->setDefault(true);
    for (QPushButton *b : {Button1, Button2})
        b->installEventFilter(this);
    // Every press runs behind the error guard: a printer failure is reported
    // and the preview stays open.
    BewachtVerbinden(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    BewachtVerbinden(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });

    auto *layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize); // one size, not to be dragged
    layout->addWidget(titel);
    layout->addWidget(RichEdit1);
    layout->addLayout(KnopfZeile({Button1, Button2}));
    AufDenBildschirm(this, RichEdit1); // a small screen shows less of the page at once
    Button2->setFocus();
}

void TDruckvorschau::Button1Click()
{
    reject();
}

void TDruckvorschau::Button2Click()
{
    // The print library comes in at the first print; one that cannot be
    // loaded is reported like any failure, and the preview stays.
    const Druckmodul::Tabelle &modul = Druckmodul::laden();
    const std::unique_ptr<QPrinter, void (*)(QPrinter *)> drucker(modul.drucker(), modul.freigeben);
    {
        const std::unique_ptr<QDialog> dialog(modul.dialog(drucker.get(), this));
        if (Modal(dialog.get()) != QDialog::Accepted)
            return; // cancelled: nothing printed, the preview stays
    }
    QString fehler;
    if (!modul.drucken(*RichEdit1->document(), *drucker, fehler))
        throw EVivarix(fehler);
    accept();
}

void TDruckvorschau::FormActivate()
{
    Button2->setFocus();
}

void TDruckvorschau::RichEdit1Enter()
{
    Button2->setFocus();
}

void TDruckvorschau::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // The caret waits at the end of the page, but the view opens at its title.
    RichEdit1->verticalScrollBar()->setValue(0);
}

bool TDruckvorschau::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

bool TDruckvorschau::eventFilter(QObject *o, QEvent *e)
{
    if (o == RichEdit1 && e->type() == QEvent::FocusIn)
        RichEdit1Enter();
    if (o != RichEdit1 && e->type() == QEvent::KeyPress) {
        QScrollBar *senkrecht = RichEdit1->verticalScrollBar();
        switch (static_cast<QKeyEvent *>(e)->key()) {
        case Qt::Key_Up:
            senkrecht->triggerAction(QAbstractSlider::SliderSingleStepSub);
            return true;
        case Qt::Key_Down:
            senkrecht->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            return true;
        case Qt::Key_PageUp:
            senkrecht->triggerAction(QAbstractSlider::SliderPageStepSub);
            return true;
        case Qt::Key_PageDown:
            senkrecht->triggerAction(QAbstractSlider::SliderPageStepAdd);
            return true;
        default:
            break;
        }
    }
    return QDialog::eventFilter(o, e);
}
