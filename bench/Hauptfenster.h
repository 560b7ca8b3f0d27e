#pragma once
// The main window as the benchmarks that time it start it.
#include "app/TVivarix.h"

#include <QApplication>
#include <QFile>
#include <QString>
#include <memory>

// The main window starting in `ordner`, whose settings say to load nothing at
// start (so no load stops at the "not found" message): activated, shown and drawn.
inline std::unique_ptr<TVivarix> hauptfenster(const QString &ordner)
{
    QFile ini(ordner + QStringLiteral("/options.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[Options]\r\nautoload=0\r\n");
    ini.close();
    auto w = std::make_unique<TVivarix>();
    w->startVerzeichnis = [ordner] { return ordner; };
    w->FormActivate();
    w->show();
    QApplication::processEvents();
    return w;
}
