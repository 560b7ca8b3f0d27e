// The yardsticks' end: the process ends right after the window's first
// paint, without tearing anything down, since what they time is the way to
// the first painted window.
#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdlib>

struct NachDemMalen : QObject {
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, [] { std::_Exit(0); });
        return QObject::eventFilter(o, e);
    }
};
