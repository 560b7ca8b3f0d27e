#include "data/Bildpfad.h"

#include <QDir>
#include <QFileInfo>

namespace Bildpfad {

QString aufloesen(const QString &pfad, const QString &datendatei)
{
    if (pfad.isEmpty() || QDir::isAbsolutePath(pfad))
        return pfad;
    if (!datendatei.isEmpty()) {
        const QString daneben = QFileInfo(datendatei).absoluteDir().filePath(pfad);
        if (QFileInfo::exists(daneben))
            return daneben;
    }
    return QDir::current().absoluteFilePath(pfad);
}

std::optional<QString> speicherbar(const QString &absolut, const QString &datendatei)
{
    if (absolut.size() <= TSchlange::BildKap)
        return absolut;
    if (datendatei.isEmpty())
        return std::nullopt;
    // Only below the folder: a path with ".." breaks as soon as the folder is copied elsewhere.
    const QString relativ = QFileInfo(datendatei).absoluteDir().relativeFilePath(absolut);
    if (relativ.startsWith(QLatin1String("../")) || relativ == u".." || QDir::isAbsolutePath(relativ) ||
        relativ.size() > TSchlange::BildKap)
        return std::nullopt;
    return relativ;
}

std::vector<Umzug> umziehen(const TSchlangen &schlangen, const QString &alt, const QString &neu)
{
    std::vector<Umzug> umzuege;
    if (QFileInfo(alt).absolutePath() == QFileInfo(neu).absolutePath())
        return umzuege;
    const QDir neuerOrdner = QFileInfo(neu).absoluteDir();
    for (std::size_t i = 0; i < schlangen.size(); ++i) {
        const QString pfad = schlangen[i].bild();
        if (pfad.isEmpty() || QDir::isAbsolutePath(pfad) || QFileInfo::exists(neuerOrdner.filePath(pfad)))
            continue;
        const QString bild = aufloesen(pfad, alt);
        if (!QFileInfo::exists(bild))
            continue;
        const std::optional<QString> gespeichert = speicherbar(QDir::cleanPath(bild), neu);
        if (gespeichert != pfad)
            umzuege.push_back({i, gespeichert});
    }
    return umzuege;
}

} // namespace Bildpfad
