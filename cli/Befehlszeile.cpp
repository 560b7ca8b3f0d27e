#include "cli/Befehlszeile.h"

#include "Version.h"
#include "analysis/Auswertung.h"
#include "cli/Erinnerung.h"
#include "data/Datendatei.h"
#include "data/Fehler.h"
#include "data/Einzeilig.h"
#include "settings/Optionen.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <new>

namespace Befehlszeile {

namespace {

const QString FressCheck = QStringLiteral("--fress-check");
const QString FressTermine = QStringLiteral("--fress-termine");
const QString Erinnern = QStringLiteral("--erinnern");
const QString Hilfe = QStringLiteral("--help");
const QString Version = QStringLiteral("--version");

QString hilfetext()
{
    return QStringLiteral("Aufruf: vivarix [OPTION [DATEI]]\n"
                          "Ohne Option öffnet sich das Programmfenster.\n"
                          "\n"
                          "Optionen:\n"
                          "  --fress-check [DATEI]    Schlangen, die überfällig sind, mit den Tagen seit Fälligkeit\n"
                          "  --fress-termine [DATEI]  in wie vielen Tagen jede Schlange gefüttert werden sollte\n"
                          "  --erinnern               eine Desktop-Benachrichtigung, wenn heute Schlangen fällig sind\n"
                          "  --help                   diese Hilfe\n"
                          "  --version                die Version des Programms\n"
                          "\n"
                          "Ohne DATEI gilt die Datendatei, die das Programm beim Start lädt (Optionsdatei\n"
                          "\"options.ini\" im aktuellen Ordner).\n"
                          "Die Sätze stehen wie im Programmfenster, einer je Zeile, in UTF-8.\n"
                          "\n"
                          "Rückgabewert: 0, wenn keine Schlange aufgeführt ist; 1, wenn mindestens eine\n"
                          "aufgeführt ist; 2, wenn die Datei oder ein Datum nicht gelesen werden kann.\n");
}

Ergebnis fehler(const QString &meldung)
{
    return {{}, (meldung + u'\n').toUtf8(), Fehler};
}

Ergebnis falscherAufruf(const QString &meldung)
{
    return fehler(meldung + QStringLiteral("\n\"vivarix --help\" zeigt die Optionen."));
}

Ergebnis auswerten(const QString &option, const QStringList &argumente, std::chrono::year_month_day heute,
                   const QString &ordner)
{
    try {
        // A relative name counts from the folder the program works in, as the window's does.
        const QString datei = QDir(ordner).filePath(argumente.size() > 1 ? argumente[1] : startDatei(ordner));
        const TSchlangen schlangen = lesen(datei);
        const Auswertung::Ergebnis e = option == FressCheck ? Auswertung::FressCheck(schlangen, heute)
                                                            : Auswertung::FressTermine(schlangen, heute);
        QString text;
        for (const Auswertung::Zeile &z : e.zeilen) {
            // One snake, one line, whatever bytes the name holds.
            text += Zeile::einzeilig(z.text);
            text += u'\n';
        }
        return {text.toUtf8(), {}, e.zeilen.empty() ? NichtsGelistet : Gelistet};
    } catch (const KeineStartdatei &e) {
        return fehler(e.message());
    } catch (const EVivarix &e) {
        return fehler(MitPunkt(e.message()));
    } catch (const std::bad_alloc &) {
        return fehler(MitPunkt(QStringLiteral("Zu wenig Arbeitsspeicher")));
    }
}

// Whether the desktop has a session bus. Without one there is nobody to tell,
// and asking for it would let libdbus start a bus of its own (autolaunch),
// which writes files.
bool sitzungsbusDa()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString laufzeit = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !laufzeit.isEmpty() && QFileInfo::exists(laufzeit + QStringLiteral("/bus"));
}

void schreiben(std::FILE *ziel, const QByteArray &bytes)
{
    if (!bytes.isEmpty())
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), ziel);
}

} // namespace

bool istBefehl(const QStringList &argumente)
{
    if (argumente.isEmpty())
        return false;
    const QString &erstes = argumente[0];
    return erstes == FressCheck || erstes == FressTermine || erstes == Erinnern || erstes == Hilfe || erstes == u"-h" ||
           erstes == Version;
}

bool istBefehl(int argc, char **argv)
{
    QStringList argumente;
    for (int i = 1; i < argc; ++i)
        argumente << QString::fromLocal8Bit(argv[i]);
    return istBefehl(argumente);
}

QString startDatei(const QString &ordner)
{
    Optionen::Werte optionen;
    if (!Optionen::laden(optionen, Optionen::pfad(ordner)))
        throw KeineStartdatei(Optionen::nichtGefunden());
    if (const std::optional<QString> datei = optionen.startDatei())
        return *datei;
    throw KeineStartdatei(
        QStringLiteral("In der Optionsdatei \"options.ini\" ist keine Datei zum Laden beim Start eingestellt"));
}

TSchlangen lesen(const QString &pfad)
{
    TSchlangen schlangen;
    Datendatei::laden(pfad, schlangen);
    return schlangen;
}

Ergebnis ausfuehren(const QStringList &argumente, std::chrono::year_month_day heute, const QString &ordner)
{
    const QString option = argumente.value(0);
    const qsizetype hoechstens = option == FressCheck || option == FressTermine ? 2 : 1;
    if (!istBefehl(argumente))
        return falscherAufruf(QStringLiteral("Unbekannte Option \"%1\"").arg(option));
    if (argumente.size() > hoechstens)
        return falscherAufruf(QStringLiteral("Zu viele Angaben nach %1").arg(option));
    if (option == Erinnern) // needs the session bus: hauptprogramm runs it
        return falscherAufruf(QStringLiteral("%1 geht nur als eigener Aufruf").arg(option));
    if (option == Hilfe || option == u"-h")
        return {hilfetext().toUtf8(), {}, 0};
    if (option == Version)
        return {QByteArrayLiteral("Vivarix " VIVARIX_VERSION "\n"), {}, 0};
    return auswerten(option, argumente, heute, ordner);
}

int hauptprogramm(int &argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList argumente = QCoreApplication::arguments();
    argumente.removeFirst();
    const auto heute = Auswertung::Kalendertag(QDate::currentDate());
    if (argumente.value(0) == Erinnern && argumente.size() == 1)
        return sitzungsbusDa() ? Erinnerung::erinnern(QDBusConnection::sessionBus(), QDir::currentPath(), heute) : 0;
    const Ergebnis e = ausfuehren(argumente, heute, QDir::currentPath());
    schreiben(stdout, e.aus);
    schreiben(stderr, e.fehler);
    return e.status;
}

} // namespace Befehlszeile
