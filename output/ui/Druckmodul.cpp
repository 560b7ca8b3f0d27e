#include "output/ui/Druckmodul.h"

#include "data/Fehler.h"
#include "Version.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>

namespace Druckmodul {

namespace {
QString &gesetzterPfad()
{
    static QString p;
    return p;
}

const Tabelle *&geladen()
{
    static const Tabelle *t = nullptr;
    return t;
}

EVivarix gescheitert(const QString &datei, const QString &grund)
{
    return EVivarix(QStringLiteral("Das Druckmodul \"%1\" konnte nicht geladen werden: %2").arg(datei, grund));
}
} // namespace

QString suchen(const QString &programmordner)
{
    const QDir ordner(programmordner);
    const QString daneben = ordner.filePath(QLatin1String(Dateiname));
    if (QFileInfo::exists(daneben))
        return daneben;
    return QDir::cleanPath(ordner.filePath(QStringLiteral(VIVARIX_DRUCKMODUL_ORDNER "/") + QLatin1String(Dateiname)));
}

QString pfad()
{
    if (!gesetzterPfad().isEmpty())
        return gesetzterPfad();
    return suchen(QCoreApplication::applicationDirPath());
}

void pfadSetzen(const QString &p)
{
    gesetzterPfad() = p;
    geladen() = nullptr;
}

const Tabelle &laden()
{
    if (geladen())
        return *geladen();
    const QString datei = pfad();
    if (!QFileInfo::exists(datei))
        throw gescheitert(datei, EInOutError::messageFor(EInOutError::NichtGefunden));
    // Loaded once and kept: the dialogs and printers it makes must outlive any caller.
    QLibrary bibliothek(datei);
    bibliothek.setLoadHints(QLibrary::PreventUnloadHint);
    if (!bibliothek.load())
        throw gescheitert(datei, bibliothek.errorString());
    using Einstieg = const Tabelle *(*)();
    const auto einstieg = reinterpret_cast<Einstieg>(bibliothek.resolve("vivarix_druckmodul"));
    const Tabelle *tabelle = einstieg ? einstieg() : nullptr;
    if (!tabelle)
        throw gescheitert(datei, QStringLiteral("Die Datei ist kein Druckmodul von Vivarix"));
    if (qstrcmp(tabelle->version, VIVARIX_VERSION) != 0)
        throw gescheitert(datei, QStringLiteral("Das Modul gehört zu Vivarix %1, nicht zu %2")
                                     .arg(QLatin1String(tabelle->version), QStringLiteral(VIVARIX_VERSION)));
    geladen() = tabelle;
    return *tabelle;
}

} // namespace Druckmodul
