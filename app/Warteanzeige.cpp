#include "app/Warteanzeige.h"

#include "data/TSchlange.h"

#include <QApplication>
#include <QLocale>
#include <QProgressBar>
#include <QStatusBar>

namespace {
// Work that is done within this never shows a bar that would only flash.
constexpr qint64 BalkenNachMs = 500;
// The bar is painted anew at most this often: more often than the eye
// follows only costs the work time.
constexpr qint64 MalenAllerMs = 40;
} // namespace

Warteanzeige::Warteanzeige(QStatusBar *l, QProgressBar *b, const QString &text, std::uint64_t bytes, Art a)
{
    if (bytes < AbBytes)
        return;
    leiste = l;
    balken = b;
    art = a;
    meldung = text;
    leiste->showMessage(text);
    uhr.start();
    if (art == Art::ImHintergrund) {
        // Painted with the window, whose events go on. A hint leaving the bar
        // empties it: the message is still true.
        wiederZeigen = QObject::connect(leiste, &QStatusBar::messageChanged, leiste, [this](const QString &jetzt) {
            if (jetzt.isEmpty())
                leiste->showMessage(meldung);
        });
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    leiste->repaint();
    rahmen.emplace([this](std::uint64_t erledigt, std::uint64_t gesamt) { melden(erledigt, gesamt); });
}

Warteanzeige::~Warteanzeige()
{
    if (!leiste)
        return;
    QObject::disconnect(wiederZeigen);
    rahmen.reset();
    balken->hide();
    if (leiste->currentMessage() == meldung)
        leiste->clearMessage(); // a hint on show stays
    if (art == Art::Warten)
        QApplication::restoreOverrideCursor();
}

QString Warteanzeige::text(const QString &verb, std::uint64_t bytes)
{
    const std::uint64_t n = (bytes + TSchlange::Groesse - 1) / TSchlange::Groesse;
    return QStringLiteral("%1 %2 %3 …")
        .arg(verb, QLocale(QLocale::German, QLocale::Germany).toString(qulonglong(n)),
             n == 1 ? QStringLiteral("Schlange") : QStringLiteral("Schlangen"));
}

void Warteanzeige::melden(std::uint64_t erledigt, std::uint64_t gesamt)
{
    if (!leiste || gesamt == 0 || uhr.elapsed() < BalkenNachMs)
        return;
    const bool neu = !balken->isVisible();
    if (neu) {
        balken->setRange(0, 1000);
        balken->show();
    } else if (gemalt.isValid() && gemalt.elapsed() < MalenAllerMs && erledigt < gesamt)
        return;
    const int wert = int(erledigt * 1000 / gesamt);
    if (!neu && wert == balken->value())
        return;
    balken->setValue(wert);
    if (art == Art::Warten)
        balken->repaint();
    gemalt.start();
}
