#include "app/Start.h"

#include "app/TVivarix.h"
#include "data/Ersetzen.h"
#include "data/Vorauslesen.h"
#include "settings/Optionen.h"
#include "toolkit/Dialoge.h"
#include "toolkit/Stil.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include <csignal>

namespace Start {

void prozessEinrichten()
{
    struct sigaction ignorieren {};
    ignorieren.sa_handler = SIG_IGN;
    sigemptyset(&ignorieren.sa_mask);
    sigaction(SIGXFSZ, &ignorieren, nullptr);
}

void anwendungEinrichten(QApplication &app)
{
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("de.vivarix.Vivarix"));
    // The program speaks German whatever the machine's locale, and so do Qt's own dialogs.
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto *qtDeutsch = new QTranslator(&app);
    if (qtDeutsch->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtDeutsch);
    Stil::einrichten();
}

std::unique_ptr<Vorauslesen> vorauslesen(const std::optional<QString> &datei)
{
    if (datei)
        return std::make_unique<Vorauslesen>([datei = *datei] { return datei; }, Vorauslesen::ErsteNamen);
    // Settings and data file are both read on the helper: the window's
    // start-up reads the settings again, with its messages, and decides.
    // A large collection only as far as its first paint needs, the rest after it.
    return std::make_unique<Vorauslesen>(
        [ini = Optionen::pfad(QDir::currentPath())] {
            Optionen::Werte optionen;
            if (!Optionen::laden(optionen, ini))
                return QString();
            return optionen.startDatei().value_or(QString());
        },
        Vorauslesen::ErsteNamen);
}

QString startmeldung()
{
    const QString meldung = qEnvironmentVariable("VIVARIX_STARTMELDUNG");
    qunsetenv("VIVARIX_STARTMELDUNG");
    return meldung;
}

int ausfuehren(int &argc, char **argv, const std::optional<QString> &datei,
               const std::function<void(TVivarix &)> &vorDemZeigen)
{
    prozessEinrichten();
    const QString meldung = startmeldung();
    // The name as the window keeps and shows it: whole, whatever folder the program works in.
    const std::optional<QString> pfad =
        datei && !datei->isEmpty() ? std::optional(QFileInfo(*datei).absoluteFilePath()) : datei;
    std::unique_ptr<Vorauslesen> vorab = vorauslesen(pfad); // read while Qt and the window start
    QApplication app(argc, argv);
    anwendungEinrichten(app);

    TVivarix Vivarix;
    Vivarix.vorab = std::move(vorab);
    Vivarix.startDatei = pfad;
    if (vorDemZeigen)
        vorDemZeigen(Vivarix);
    Vivarix.show();
    // Once the window shows: what saves that are long over left in the cache.
    QTimer::singleShot(0, &Vivarix, [] { Ersetzen::resteAufraeumen(); });
    if (!meldung.isEmpty())
        QTimer::singleShot(0, &Vivarix, [&Vivarix, meldung] { MessageDlg(&Vivarix, meldung, MsgArt::Warnung, mbOK); });
    return app.exec();
}

} // namespace Start
