#include "app/TFutterEdit.h"

#include "app/TDatum.h"
#include "data/TSchlange.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Fensterteile.h"
#include "toolkit/TKlickLabel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFutterEdit::TFutterEdit(QWidget *parent, const QDate &datumHeute) : QDialog(parent), heute(datumHeute)
{
    setObjectName(QStringLiteral("FutterEdit"));
    auto *inhalt = new QWidget(this);
    datum1 = new TKlickLabel(QStringLiteral("Datum"), inhalt);
    datum1->setObjectName(QStringLiteral("datum1"));
    datum1->setAccessibleDescription(QStringLiteral("Hier kannst du das Datum einstellen"));
    datum1->setToolTip(QStringLiteral("Hier kannst du das Datum einstellen"));
    // Room for a date text "00.00.00" with some air around it.
    datum1->setMinimumWidth(datum1->fontMetrics().horizontalAdvance(QStringLiteral("00.00.00")) + 24);
    datum1->setMinimumHeight(datum1->fontMetrics().height() + 10);

    Label2 = new QLabel(QStringLiteral("Text:"), inhalt);
    Label2->setObjectName(QStringLiteral("Label2"));
    futter1 = new QLineEdit(inhalt);
    futter1->setObjectName(QStringLiteral("futter1"));
    futter1->setMaxLength(TSchlange::TextKap);
    LaengeZeigen(futter1);
    futter1->setMinimumWidth(320);
    Beschriften(Label2, futter1);

    auto *eingaben = new QGridLayout(inhalt);
    eingaben->setContentsMargins(0, 0, 0, 0);
    eingaben->setHorizontalSpacing(12);
    eingaben->addWidget(Label2, 0, 1);
    eingaben->addWidget(datum1, 1, 0);
    eingaben->addWidget(futter1, 1, 1);

    const auto g = GeruestBauen(this, QStringLiteral("Eingaben editieren"), QStringLiteral("Editieren"), inhalt);
    titel = g.titel;
    Button2 = g.ok;
    Button3 = g.abbrechen;

    connect(datum1, &TKlickLabel::clicked, this, &TFutterEdit::datum1Click);
    connect(Button2, &QPushButton::clicked, this, [this] {
        ok = true;
        accept();
    });
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    futter1->setFocus();
}

void TFutterEdit::datum1Click()
{
    Bewacht(this, [&] {
        if (const auto gewaehlt = TDatum::waehle(this, datum1->text(), heute)) {
            datum1->setText(*gewaehlt);
            // The date is chosen: the next Enter confirms the dialog instead of
            // opening the calendar again.
            futter1->setFocus(Qt::OtherFocusReason);
        }
    });
}
