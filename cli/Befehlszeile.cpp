#include "cli/Befehlszeile.h"

#include "Version.h"
#include "analysis/Auswertung.h"
#include "cli/Erinnerung.h"
#include "data/Datendatei.h"
#include "data/Fehler.h"
#include "settings/Optionen.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <new>

namespace Befehlszeile {

namespace {

const QString FressCheck = QStringLiteral("--fress-check");
const QString FressTermine = QStringLiteral("--fress-termine");
const QString Erinnern = QStringLiteral("--erinnern");
const QString Hilfe = QStringLiteral("--help");
const QString Version = QStringLiteral("--version");

const QString Aufruf = QStringLiteral("Aufruf: vivarix [DATEI]\n"
                                      "       vivarix OPTION [DATEI]\n");

QString hilfetext()
{
    return Aufruf +
           QStringLiteral("Ohne Option öffnet sich das Programmfenster, mit DATEI gleich mit dieser Datendatei.\n"
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

// A message for the terminal: each of its lines made safe to print.
QByteArray alsZeilen(const QString &text)
{
    QStringList zeilen = text.split(u'\n');
    for (QString &z : zeilen)
        z = sichtbar(z);
    return zeilen.join(u'\n').toUtf8();
}

Ergebnis fehler(const QString &meldung)
{
    return {{}, alsZeilen(meldung + u'\n'), Fehler};
}

Ergebnis falscherAufruf(const QString &meldung)
{
    return fehler(meldung + u'\n' + Aufruf + QStringLiteral("\"vivarix --help\" zeigt die Optionen."));
}

bool istOption(const QString &argument)
{
    return argument == FressCheck || argument == FressTermine || argument == Erinnern || argument == Hilfe ||
           argument == u"-h" || argument == Version;
}

// The direction marks and overrides, which reorder what follows them on the line.
bool richtungszeichen(char16_t c)
{
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

Ergebnis auswerten(const QString &option, const QStringList &argumente, std::chrono::year_month_day heute,
                   const QString &ordner)
{
    try {
        const QString datei = argumente.size() > 1 ? QDir(ordner).filePath(argumente[1]) : startPfad(ordner);
        const TSchlangen schlangen = lesen(datei);
        const Auswertung::Ergebnis e = option == FressCheck ? Auswertung::FressCheck(schlangen, heute)
                                                            : Auswertung::FressTermine(schlangen, heute);
        QString text;
        for (const Auswertung::Zeile &z : e.zeilen) {
            // One snake, one line, whatever bytes the name holds.
            text += sichtbar(z.text);
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

// False when the bytes did not all arrive (a full disk, a closed pipe).
bool schreiben(std::FILE *ziel, const QByteArray &bytes)
{
    if (!bytes.isEmpty() &&
        std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), ziel) != std::size_t(bytes.size()))
        return false;
    return std::fflush(ziel) == 0 && !std::ferror(ziel);
}

} // namespace

QStringList argumente(int argc, char **argv)
{
    QStringList liste;
    for (int i = 1; i < argc; ++i)
        liste << QFile::decodeName(argv[i]);
    return liste;
}

std::optional<QString> fensterDatei(const QStringList &argumente)
{
    const qsizetype anfang = argumente.value(0) == u"--" ? 1 : 0;
    if (argumente.size() != anfang + 1 || (anfang == 0 && argumente[0].startsWith(u'-')))
        return std::nullopt;
    return argumente[anfang];
}

bool istBefehl(const QStringList &argumente)
{
    return !argumente.isEmpty() && argumente != QStringList{QStringLiteral("--")} && !fensterDatei(argumente);
}

QString sichtbar(const QString &text)
{
    QString aus;
    aus.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\r' || u == u'\n')
            aus += u' ';
        else if (u == u'\t')
            aus += QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7F && u < 0xA0))
            aus += QStringLiteral("\\x%1").arg(int(u), 2, 16, QLatin1Char('0'));
        else if (richtungszeichen(u))
            aus += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
        else
            aus += c;
    }
    return aus;
}

QString startDatei(const QString &ordner)
{
    Optionen::Werte optionen;
    if (const Optionen::Gelesen g = Optionen::einlesen(optionen, Optionen::pfad(ordner)); !g.ganz)
        throw KeineStartdatei(g.meldung);
    if (const std::optional<QString> datei = optionen.startDatei())
        return *datei;
    throw KeineStartdatei(
        QStringLiteral("In der Optionsdatei \"options.ini\" ist keine Datei zum Laden beim Start eingestellt"));
}

QString startPfad(const QString &ordner)
{
    const QString name = startDatei(ordner);
    return name.isEmpty() ? name : QDir(ordner).filePath(name);
}

TSchlangen lesen(const QString &pfad)
{
    TSchlangen schlangen;
    try {
        Datendatei::laden(pfad, schlangen);
    } catch (const EInOutError &e) {
        throw EInOutError::mitPfad(e, pfad);
    }
    return schlangen;
}

Ergebnis ausfuehren(const QStringList &argumente, std::chrono::year_month_day heute, const QString &ordner)
{
    const QString option = argumente.value(0);
    const qsizetype hoechstens = option == FressCheck || option == FressTermine ? 2 : 1;
    if (option.startsWith(u'-') && !istOption(option))
        return falscherAufruf(QStringLiteral("Unbekannte Option „%1“").arg(option));
    if (!istOption(option)) // more than the one data file the window opens
        return falscherAufruf(QStringLiteral("Zu viele Angaben: Das Programmfenster öffnet eine Datei"));
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
    // Output that did not arrive is no answer: a script must not take it for "nothing due".
    if (!schreiben(stdout, e.aus)) {
        const int grund = errno;
        schreiben(stderr, alsZeilen(QStringLiteral("Die Ausgabe kann nicht geschrieben werden: %1.\n")
                                        .arg(EInOutError::messageFor(EInOutError::codeFromErrno(grund)))));
        return Fehler;
    }
    schreiben(stderr, e.fehler);
    return e.status;
}

} // namespace Befehlszeile
