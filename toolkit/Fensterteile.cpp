#include "toolkit/Fensterteile.h"

#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

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

QString OhneKuerzel(const QString &caption)
{
    QString text;
    text.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && ++i == caption.size())
            break;
        text += caption[i];
    }
    return text;
}

QSize Bildschirmplatz(const QWidget *fenster)
{
    const QScreen *s = fenster->screen();
    if (!s)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QSize rahmen = fenster->frameGeometry().size() - fenster->size();
    if (!fenster->isVisible() || rahmen.isEmpty())
        rahmen = QSize(0, fenster->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, fenster));
    return s->availableGeometry().size() - rahmen;
}

void AufDenBildschirm(QWidget *dialog, QWidget *nachgiebig)
{
    const int zuViel = dialog->sizeHint().height() - Bildschirmplatz(dialog).height();
    if (zuViel > 0)
        nachgiebig->setFixedHeight(qMax(nachgiebig->minimumSizeHint().height(), nachgiebig->height() - zuViel));
}
