#include "analysis/ui/Auswertungsteile.h"

#include "toolkit/Fensterteile.h"
#include "toolkit/TZeilenText.h"

#include <QBoxLayout>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

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

TErgebnisfenster::TErgebnisfenster(QWidget *parent, const QString &name, const QString &ueberschrift) : QDialog(parent)
{
    setObjectName(name);
    setWindowTitle(ueberschrift);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    titel = TitelLabel(this, ueberschrift);
    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameShape(QFrame::StyledPanel);
    Bevel1->setFrameShadow(QFrame::Sunken);
}

void TErgebnisfenster::okKnopf()
{
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setDefault(true);
}

void TErgebnisfenster::textbox()
{
    RichEdit1 = new TZeilenText(Bevel1);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setAccessibleName(QStringLiteral("Ergebnis"));
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    RichEdit1->installEventFilter(new FokusWeiter(RichEdit1, [this] { RichEdit1Enter(); }));
}

void TErgebnisfenster::rahmen(int breite, int hoehe)
{
    auto *knopfZeile = new QHBoxLayout;
    knopfZeile->addStretch(1);
    knopfZeile->addWidget(Button1);
    knopfZeile->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->setSpacing(4);
    layout->addWidget(titel);
    layout->addWidget(Bevel1, 1);
    layout->addLayout(knopfZeile);
    setFixedSize(breite, hoehe);

    connect(Button1, &QPushButton::clicked, this, &TErgebnisfenster::Button1Click);
    Button1->setFocus();
}

void TErgebnisfenster::Button1Click()
{
    accept();
}

void TErgebnisfenster::RichEdit1Enter()
{
    Button1->setFocus();
}
