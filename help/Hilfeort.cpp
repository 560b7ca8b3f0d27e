#include "help/Hilfeort.h"

#include "data/Einlesen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Hilfeort {

namespace {
// The real path of `datei` when it lies inside `ordner`; empty otherwise.
QString drinnen(const QString &ordner, const QString &datei)
{
    const QString wurzel = QFileInfo(ordner).canonicalFilePath();
    const QString echt = QFileInfo(datei).canonicalFilePath();
    if (wurzel.isEmpty() || echt.isEmpty() || !echt.startsWith(wurzel + u'/'))
        return {};
    return echt;
}
} // namespace

QStringList ordner(const QString &aktuell, const QString &start, const QString &programm)
{
    QStringList liste;
    const auto dazu = [&liste](const QString &basis, const QString &unterordner) {
        if (basis.isEmpty())
            return;
        const QString pfad = QDir::cleanPath(QDir(basis).absoluteFilePath(unterordner));
        if (!liste.contains(pfad))
            liste << pfad;
    };
    dazu(aktuell, QStringLiteral("hilfe"));
    dazu(start, QStringLiteral("hilfe"));
    dazu(programm, QStringLiteral("hilfe"));
    dazu(programm, QStringLiteral("../share/vivarix/hilfe"));
    return liste;
}

QStringList ordner(const QString &start)
{
    return ordner(QDir::currentPath(), start, QCoreApplication::applicationDirPath());
}

QString finden(const QStringList &ordner)
{
    for (const QString &o : ordner) {
        const QFileInfo seite(QDir(o).filePath(QStringLiteral("hilfe.htm")));
        if (lesbar(o, seite.filePath(), SeiteHoechstens))
            return seite.absoluteFilePath();
    }
    return {};
}

bool lesbar(const QString &ordner, const QString &datei, qsizetype hoechstens)
{
    const QFileInfo echt(drinnen(ordner, datei));
    return echt.isFile() && echt.size() <= hoechstens;
}

std::optional<QByteArray> lesen(const QString &ordner, const QString &datei, qsizetype hoechstens)
{
    // The real path is what is opened: a link swapped in after the check still
    // leads to no pipe or device, since the reader itself takes regular files only.
    const QString echt = drinnen(ordner, datei);
    if (echt.isEmpty())
        return std::nullopt;
    Einlesen::Inhalt inhalt = Einlesen::lesen(echt, hoechstens);
    if (inhalt.fehler != 0 || inhalt.gekappt)
        return std::nullopt;
    return std::move(inhalt.bytes);
}

} // namespace Hilfeort
