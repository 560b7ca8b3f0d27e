#include "cli/Erinnerung.h"

#include "analysis/Auswertung.h"
#include "cli/Befehlszeile.h"
#include "data/Fehler.h"
#include "data/Einzeilig.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDir>
#include <QFileInfo>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <new>

namespace Erinnerung {

namespace {

const QString Dienst = QStringLiteral("org.freedesktop.Notifications");
const QString Pfad = QStringLiteral("/org/freedesktop/Notifications");
const QString Oeffnen = QStringLiteral("oeffnen");            // the key of the action "Öffnen"
const QString Eintrag = QStringLiteral("de.vivarix.Vivarix"); // menu entry and icon
// A service that is there answers at once; one that hangs must not hold up the login.
constexpr int Antwortzeit = 5000;

// Waits for the keeper's answer to one notification. The bus delivers its
// signals only to slots named as text, hence this small receiver; signals that
// arrive while the notification is still being sent wait in the event queue.
class Antwort : public QObject {
    Q_OBJECT
public:
    uint id = 0;
    bool geoeffnet = false;
    QEventLoop schleife;

public slots:
    void aktion(uint nummer, const QString &schluessel)
    {
        if (nummer != id)
            return;
        geoeffnet = schluessel == Oeffnen;
        schleife.quit();
    }
    void geschlossen(uint nummer, uint)
    {
        if (nummer == id)
            schleife.quit();
    }
};

QDBusMessage aufruf(const QString &methode)
{
    return QDBusMessage::createMethodCall(Dienst, Pfad, Dienst, methode);
}

// The notification for a start-up file that is there but cannot be read,
// with the window's message; nothing when there is no such file.
std::optional<Meldung> unlesbar(const QString &datei, const QString &warum)
{
    if (datei.isEmpty() || !QFileInfo::exists(datei))
        return std::nullopt;
    Meldung m;
    m.zusammenfassung = QStringLiteral("Vivarix: Die Sammlung kann nicht gelesen werden");
    m.zeilen << MitPunkt(warum);
    return m;
}

} // namespace

std::optional<Meldung> meldung(const TSchlangen &schlangen, std::chrono::year_month_day heute)
{
    const Auswertung::Ergebnis check = Auswertung::FressCheck(schlangen, heute);
    const Auswertung::Ergebnis termine = Auswertung::FressTermine(schlangen, heute);
    Meldung m;
    std::vector<bool> genannt(schlangen.size());
    const auto dazu = [&](const Auswertung::Zeile &z) {
        if (genannt[std::size_t(z.index)])
            return;
        genannt[std::size_t(z.index)] = true;
        if (++m.anzahl <= HoechstensZeilen)
            m.zeilen << Zeile::einzeilig(z.text);
    };
    // The most overdue first, with their days; then those due today, in tab order.
    for (const Auswertung::Zeile &z : check.zeilen)
        dazu(z);
    // The schedule's sentences begin with the snakes to be fed at once, one for
    // each bar of value 0.
    const auto sofort = std::count_if(termine.balken.begin(), termine.balken.end(),
                                      [](const Auswertung::Balken &b) { return b.wert == 0; });
    for (std::ptrdiff_t k = 0; k < sofort; ++k)
        dazu(termine.zeilen[std::size_t(k)]);
    if (m.anzahl == 0)
        return std::nullopt;
    m.zusammenfassung = m.anzahl == 1 ? QStringLiteral("Vivarix: 1 Schlange ist fällig")
                                      : QStringLiteral("Vivarix: %1 Schlangen sind fällig").arg(m.anzahl);
    if (m.anzahl > HoechstensZeilen)
        m.zeilen << QStringLiteral("… und %1 weitere").arg(m.anzahl - HoechstensZeilen);
    return m;
}

int erinnern(QDBusConnection bus, const QString &ordner, std::chrono::year_month_day heute,
             std::chrono::milliseconds warten, std::function<void()> oeffnen)
{
    // No settings, no start-up file, a date that cannot be read: at login that
    // is no reason for a message; the window says it when opened. A start-up
    // file that is there but cannot be read (too large for the memory left,
    // damaged, locked away) is: every due snake would go unmentioned, every day.
    std::optional<Meldung> m;
    QString datei;
    try {
        datei = Befehlszeile::startPfad(ordner);
        const TSchlangen schlangen = Befehlszeile::lesen(datei);
        datei.clear(); // read: what fails from here is no failure of the file
        m = meldung(schlangen, heute);
    } catch (const Befehlszeile::KeineStartdatei &) {
        return 0;
    } catch (const EVivarix &e) {
        m = unlesbar(datei, e.message());
    } catch (const std::bad_alloc &) {
        m = unlesbar(datei, QStringLiteral("Zu wenig Arbeitsspeicher"));
    }
    if (!m || !bus.isConnected())
        return 0;

    const QDBusMessage faehig = bus.call(aufruf(QStringLiteral("GetCapabilities")), QDBus::Block, Antwortzeit);
    if (faehig.type() != QDBusMessage::ReplyMessage)
        return 0; // no notification service
    const QStringList kann = faehig.arguments().value(0).toStringList();
    const bool aktionen = kann.contains(QStringLiteral("actions"));
    QString text = m->zeilen.join(u'\n');
    if (kann.contains(QStringLiteral("body-markup")))
        text = text.toHtmlEscaped(); // a name is text, never markup

    Antwort antwort;
    if (aktionen) {
        bus.connect(Dienst, Pfad, Dienst, QStringLiteral("ActionInvoked"), &antwort, SLOT(aktion(uint, QString)));
        bus.connect(Dienst, Pfad, Dienst, QStringLiteral("NotificationClosed"), &antwort,
                    SLOT(geschlossen(uint, uint)));
    }
    QDBusMessage notify = aufruf(QStringLiteral("Notify"));
    const QVariantMap hinweise{{QStringLiteral("desktop-entry"), Eintrag},
                               {QStringLiteral("urgency"), QVariant::fromValue(uchar(1))}};
    notify << QStringLiteral("Vivarix") << uint(0) << Eintrag << m->zusammenfassung << text
           << (aktionen ? QStringList{Oeffnen, QStringLiteral("Öffnen")} : QStringList{}) << hinweise << int(-1);
    const QDBusMessage gemeldet = bus.call(notify, QDBus::Block, Antwortzeit);
    if (gemeldet.type() != QDBusMessage::ReplyMessage || !aktionen || warten.count() <= 0)
        return 0;

    antwort.id = gemeldet.arguments().value(0).toUInt();
    QTimer::singleShot(warten, &antwort.schleife, &QEventLoop::quit);
    antwort.schleife.exec();
    if (!antwort.geoeffnet)
        return 0;
    if (oeffnen)
        oeffnen();
    else
        QProcess::startDetached(QCoreApplication::applicationFilePath(), {}, ordner);
    return 0;
}

} // namespace Erinnerung

#include "Erinnerung.moc"
