#include "data/Fassungen.h"

#include "data/Einlesen.h"
#include "data/Ersetzen.h"
#include "data/Fehler.h"
#include "data/Systemaufrufe.h"
#include "data/TSchlange.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <cerrno>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// A version's name: the day it was kept, "2026-03-14.vix".
const QString TagFormat = QStringLiteral("yyyy-MM-dd");
const QString Endung = QStringLiteral(".vix");

QDate tagVon(const QString &name)
{
    if (!name.endsWith(Endung))
        return {};
    return QDate::fromString(name.chopped(Endung.size()), TagFormat);
}

QString nichtBehalten(const QString &grund)
{
    return QStringLiteral("Die frühere Fassung konnte nicht aufbewahrt werden: %1. Gespeichert wurde trotzdem.")
        .arg(grund);
}

// The versions of the days before the last seven go, and any beyond seven.
void ausduennen(int ordner, const QString &pfad, const QDate &heute)
{
    QStringList namen = QDir(pfad).entryList(QDir::Files | QDir::Hidden | QDir::System);
    namen.removeIf([](const QString &n) { return !tagVon(n).isValid(); });
    std::sort(namen.begin(), namen.end(), std::greater<>()); // the days sort as their names do
    const QDate erster = heute.addDays(-(Fassungen::Tage - 1));
    for (qsizetype i = 0; i < namen.size(); ++i)
        if (i >= Fassungen::Tage || tagVon(namen[i]) < erster)
            (void)sys().unlinkat(ordner, QFile::encodeName(namen[i]).constData(), 0);
}

// Copies the old file into the version `ziel` through the safe replace, with
// the old file's time, which tells the keeper what state it holds.
QString kopieren(const QString &von, const QString &ziel, const struct stat &alt)
{
    const Einlesen::Inhalt alte = Einlesen::lesen(von, qsizetype(Fassungen::HoechstensBytes) + 1);
    if (alte.fehler != 0)
        return EInOutError::messageFor(EInOutError::codeFromErrno(alte.fehler));
    try {
        Ersetzen::datei(ziel, alte.bytes.constData(), std::size_t(alte.bytes.size()));
    } catch (const EVivarix &e) {
        return e.message();
    }
    const timespec zeiten[2] = {alt.st_atim, alt.st_mtim};
    (void)::utimensat(AT_FDCWD, QFile::encodeName(ziel).constData(), zeiten, AT_SYMLINK_NOFOLLOW);
    return {};
}

} // namespace

namespace Fassungen {

QString wurzel()
{
    QString basis = qEnvironmentVariable("XDG_DATA_HOME");
    if (!basis.startsWith(u'/'))
        basis = QDir::homePath() + QStringLiteral("/.local/share");
    return basis + QStringLiteral("/vivarix/Fassungen");
}

QString ordnerFuer(const QString &datei)
{
    const QFileInfo info(datei);
    QString ganz = info.canonicalFilePath();
    if (ganz.isEmpty())
        ganz = info.absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(ganz), QCryptographicHash::Sha256).toHex();
    // Short enough to stay within a file name's limit whatever the file's name.
    return wurzel() + u'/' + QFileInfo(ganz).fileName().left(100) + u'-' + QString::fromLatin1(hash.left(12));
}

QString behalten(const QString &pfad, const struct stat &alt, bool bleibt, const QDate &heute)
{
    const std::uint64_t groesse = std::uint64_t(std::max<off_t>(alt.st_size, 0));
    if (groesse > HoechstensBytes)
        return QStringLiteral("Keine frühere Fassung aufbewahrt: die Datei ist größer als 1 GB.");
    const QString ordnerPfad = ordnerFuer(pfad);
    QString grund;
    const Deskriptor ordner(Ersetzen::eigenerOrdner(ordnerPfad, grund));
    if (ordner.get() < 0)
        return nichtBehalten(QStringLiteral("der Ordner „%1“ %2").arg(ordnerPfad, grund));
    const QString name = heute.toString(TagFormat) + Endung;
    const QByteArray n = QFile::encodeName(name);
    QString fehler;
    if (sys().faccessat(ordner.get(), n.constData(), F_OK, AT_SYMLINK_NOFOLLOW) != 0) {
        struct statvfs platz;
        if (::fstatvfs(ordner.get(), &platz) == 0 && groesse > std::uint64_t(platz.f_bavail) * platz.f_frsize) {
            fehler = QStringLiteral("Keine frühere Fassung aufbewahrt: zu wenig freier Platz in „%1“.").arg(ordnerPfad);
        } else if (!bleibt ||
                   sys().linkat(AT_FDCWD, QFile::encodeName(pfad).constData(), ordner.get(), n.constData(), 0) != 0) {
            // Not by a link: a file about to be rewritten where it stands (a
            // link would keep nothing), or a folder on another file system.
            const QString warum = kopieren(pfad, ordnerPfad + u'/' + name, alt);
            if (!warum.isEmpty())
                fehler = nichtBehalten(warum);
        }
    }
    ausduennen(ordner.get(), ordnerPfad, heute);
    return fehler;
}

std::vector<Fassung> liste(const QString &datei)
{
    std::vector<Fassung> l;
    const QString ordner = ordnerFuer(datei);
    const QDir d(ordner);
    for (const QFileInfo &f : d.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name | QDir::Reversed)) {
        const QDate tag = tagVon(f.fileName());
        if (!tag.isValid() || f.isSymLink())
            continue;
        const std::uint64_t groesse = std::uint64_t(f.size());
        l.push_back({f.absoluteFilePath(), tag, f.lastModified(), groesse, groesse / TSchlange::Groesse});
    }
    return l;
}

} // namespace Fassungen
