#include "help/Hilfeort.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace Hilfeort {

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
        if (seite.isFile())
            return seite.absoluteFilePath();
    }
    return {};
}

} // namespace Hilfeort
