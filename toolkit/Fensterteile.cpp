#include "toolkit/Fensterteile.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QLabel *TitelLabel(QWidget *parent, const QString &text)
{
    auto *titel = new QLabel(text, parent);
    titel->setObjectName(QStringLiteral("titel"));
    titel->setTextFormat(Qt::PlainText);
    QFont schrift(QStringLiteral("Arial"));
    schrift.setPixelSize(16);
    schrift.setBold(true);
    schrift.setItalic(true);
    titel->setFont(schrift);
    titel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return titel;
}

void FesterRahmen(QWidget *dialog)
{
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowCloseButtonHint);
}

QHBoxLayout *OkZeile(QWidget *dialog, QPushButton *&ok)
{
    ok = new QPushButton(QStringLiteral("OK"), dialog);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    auto *zeile = new QHBoxLayout;
    zeile->addStretch(1);
    zeile->addWidget(ok);
    return zeile;
}
