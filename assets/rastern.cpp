// Draws the program's SVG pictures at build time, in the sizes the main window
// shows them, and writes the pixels as a C++ source (see Raster.h).
//
//   vivarix_rastern OUT.cpp FILE.svg:NAME:WxH[,WxH...] ...
#include <QGuiApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

#include <cstdio>

namespace {
[[noreturn]] void abbrechen(const QString &warum)
{
    std::fprintf(stderr, "vivarix_rastern: %s\n", qPrintable(warum));
    std::exit(1);
}

QImage zeichnen(const QString &svg, const QSize &groesse)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid())
        abbrechen(svg + QStringLiteral(" is no SVG picture"));
    QImage bild(groesse, QImage::Format_ARGB32_Premultiplied);
    bild.fill(Qt::transparent);
    QPainter maler(&bild);
    renderer.render(&maler);
    return bild;
}
} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv); // the banner and the podium have text, which needs fonts
    const QStringList args = app.arguments();
    if (args.size() < 3)
        abbrechen(QStringLiteral("usage: vivarix_rastern OUT.cpp FILE.svg:NAME:WxH[,WxH...] ..."));

    QString felder, tabelle;
    QTextStream f(&felder), t(&tabelle);
    int anzahl = 0;
    for (const QString &auftrag : args.mid(2)) {
        const QStringList teile = auftrag.split(u':');
        if (teile.size() != 3)
            abbrechen(QStringLiteral("cannot read \"%1\"").arg(auftrag));
        for (const QString &g : teile[2].split(u',')) {
            const QStringList wh = g.split(u'x');
            const QSize groesse(wh.value(0).toInt(), wh.value(1).toInt());
            if (wh.size() != 2 || groesse.isEmpty())
                abbrechen(QStringLiteral("cannot read the size \"%1\"").arg(g));
            const QImage bild = zeichnen(teile[0], groesse);
            const QString feld = QStringLiteral("%1_%2x%3").arg(teile[1]).arg(groesse.width()).arg(groesse.height());
            f << "const std::uint32_t " << feld << "[] = {";
            for (int y = 0; y < bild.height(); ++y) {
                const auto *zeile = reinterpret_cast<const quint32 *>(bild.constScanLine(y));
                for (int x = 0; x < bild.width(); ++x)
                    f << ((x % 8) ? " " : "\n    ") << "0x" << QString::number(zeile[x], 16) << "u,";
            }
            f << "\n};\n";
            t << "    {\"" << teile[1] << "\", " << groesse.width() << ", " << groesse.height() << ", " << feld
              << "},\n";
            ++anzahl;
        }
    }

    QFile aus(args[1]);
    if (!aus.open(QIODevice::WriteOnly | QIODevice::Truncate))
        abbrechen(QStringLiteral("cannot write ") + args[1]);
    QTextStream o(&aus);
    o << "// Drawn by vivarix_rastern from the SVG files in assets/ at build time.\n"
      << "#include \"assets/Raster.h\"\n\nnamespace {\n"
      << felder << "} // namespace\n\nnamespace Raster {\nconst Vorlage vorlagen[] = {\n"
      << tabelle << "};\nconst std::size_t anzahl = " << anzahl << ";\n} // namespace Raster\n";
    o.flush();
    return aus.error() == QFile::NoError ? 0 : 1;
}
