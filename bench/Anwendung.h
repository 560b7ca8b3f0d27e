#pragma once
// The benchmarks run on Qt's offscreen platform, which (like Qt's path lookup
// without a session) prints the same warnings on every run; they would drown
// the benchmark's own table, so they are dropped here and nothing else is.
#include <QApplication>
#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <benchmark/benchmark.h>
#include <functional>

inline void leiseMachen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QtMessageHandler vorher =
        qInstallMessageHandler([](QtMsgType art, const QMessageLogContext &wo, const QString &text) {
            const bool laerm = (wo.category && QByteArray(wo.category).startsWith("qt.qpa"))
                || text.startsWith(QLatin1String("QStandardPaths:")) || text.contains(QLatin1String("propagateSizeHints"));
            if (art == QtFatalMsg || !laerm)
                vorher(art, wo, text);
        });
}

// main() of a benchmark program that needs widgets: the registered benchmarks
// inside a quiet offscreen application. `vorDemEnde` releases what must go
// before the application object does (a window held for all runs).
inline int mitAnwendung(int argc, char **argv, const std::function<void()> &vorDemEnde = {})
{
    leiseMachen();
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (vorDemEnde)
        vorDemEnde();
    return 0;
}
