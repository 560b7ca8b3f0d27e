// The least a Qt Widgets program does to show a window: the yardstick for the
// program's own start (bench/leistung.sh times both as whole processes).
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {
struct NachDemMalen : QObject {
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            QTimer::singleShot(0, qApp, &QApplication::quit);
        return QObject::eventFilter(o, e);
    }
};
} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(768, 609);
    NachDemMalen beobachter;
    w.installEventFilter(&beobachter);
    w.show();
    return app.exec();
}
