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
#include <memory>

inline void leiseMachen()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static const QtMessageHandler vorher =
        qInstallMessageHandler([](QtMsgType art, const QMessageLogContext &wo, const QString &text) {
            const bool laerm = (wo.category && QByteArray(wo.category).startsWith("qt.qpa")) ||
                               text.startsWith(QLatin1String("QStandardPaths:")) ||
                               text.contains(QLatin1String("propagateSizeHints"));
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

// One T for all runs of a program, made on first use. A window must go before
// the application object does: mitAnwendung's `vorDemEnde` releases it with
// einmalig<T>().reset(), not static destruction.
template <typename T>
std::unique_ptr<T> &einmalig()
{
    static std::unique_ptr<T> u;
    return u;
}

template <typename T>
T &einmal()
{
    std::unique_ptr<T> &u = einmalig<T>();
    if (!u)
        u = std::make_unique<T>();
    return *u;
}
