#include "bild/Bild.h"
#include "bild/Libjpeg.h"
#include "bild/Metadatei.h"

#include "Hilfen.h"
#include "JpegKodieren.h"

#include <QDir>
#include <QtEndian>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QCoreApplication>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include <jpeglib.h>

namespace {

using Bild::Ergebnis;

// A JPEG of the picture, baseline or progressive.
QByteArray jpegAusBild(const QImage &bild, bool progressiv = false)
{
    const QImage rgb = bild.convertToFormat(QImage::Format_RGB888);
    return jpegAusZeilen(rgb.width(), rgb.height(), JCS_RGB, 3, progressiv,
                         [&](int y) { return const_cast<JSAMPLE *>(rgb.constScanLine(y)); });
}

// The same file with the frame header's height and width replaced (baseline or
// progressive frame).
QByteArray mitGroesse(QByteArray jpeg, quint16 w, quint16 h)
{
    qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        sof = jpeg.indexOf(QByteArray("\xFF\xC2", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(h >> 8);
    jpeg[sof + 6] = char(h & 0xFF);
    jpeg[sof + 7] = char(w >> 8);
    jpeg[sof + 8] = char(w & 0xFF);
    return jpeg;
}

// The colour at `wo`, the middle unless told.
void erwarteFarbe(const QImage &bild, QColor soll, int toleranz = 6, std::optional<QPoint> wo = {})
{
    ASSERT_FALSE(bild.isNull());
    const QColor ist = bild.pixelColor(wo.value_or(QPoint(bild.width() / 2, bild.height() / 2)));
    EXPECT_NEAR(ist.red(), soll.red(), toleranz);
    EXPECT_NEAR(ist.green(), soll.green(), toleranz);
    EXPECT_NEAR(ist.blue(), soll.blue(), toleranz);
}

// ---- Metafiles written byte by byte, after the published record layouts ----

struct Bytes {
    QByteArray d;
    template <typename T>
    Bytes &le(T v)
    {
        char b[sizeof v];
        qToLittleEndian(v, b);
        d.append(b, sizeof v);
        return *this;
    }
    Bytes &u16(quint16 v) { return le(v); }
    Bytes &u32(quint32 v) { return le(v); }
    Bytes &i16(int v) { return u16(quint16(qint16(v))); }
    Bytes &i32(qint32 v) { return u32(quint32(v)); }
};

quint32 colorref(QColor c)
{
    return quint32(c.red()) | quint32(c.green()) << 8 | quint32(c.blue()) << 16;
}

struct Rechteck {
    QRect r;
    QColor farbe;
};

// A placeable Windows metafile of w × h pixels (one logical unit per pixel at
// 96 units per inch) filling each rectangle with its colour and no outline,
// then writing `text` in the default font with its top left at (10, 10).
QByteArray wmf(int w, int h, const std::vector<Rechteck> &rechtecke, const QByteArray &text = {})
{
    Bytes rec;
    quint32 groessterSatz = 0; // in 16-bit words, as the header records it
    auto satz = [&](quint16 funktion, std::initializer_list<int> parameter) {
        groessterSatz = std::max(groessterSatz, quint32(3 + parameter.size()));
        rec.u32(quint32(3 + parameter.size())).u16(funktion);
        for (int p : parameter)
            rec.i16(p);
    };
    satz(0x020B, {0, 0}); // SETWINDOWORG y, x
    satz(0x020C, {h, w}); // SETWINDOWEXT y, x
    // CREATEPENINDIRECT: style PS_NULL, width 0,0, colour black -> object 0
    satz(0x02FA, {5, 0, 0, 0, 0});
    satz(0x012D, {0}); // SELECTOBJECT pen
    for (const Rechteck &r : rechtecke) {
        const quint32 c = colorref(r.farbe);
        // CREATEBRUSHINDIRECT: BS_SOLID, COLORREF, hatch -> object 1
        satz(0x02FC, {0, int(c & 0xFFFF), int(c >> 16), 0});
        satz(0x012D, {1});
        satz(0x041B, {r.r.bottom() + 1, r.r.right() + 1, r.r.top(), r.r.left()}); // RECTANGLE b, r, t, l
        satz(0x01F0, {1});                                                        // DELETEOBJECT brush
    }
    if (!text.isEmpty()) {
        QByteArray gerade = text;
        if (gerade.size() % 2)
            gerade += '\0';
        groessterSatz = std::max(groessterSatz, quint32(3 + 1 + gerade.size() / 2 + 2));
        rec.u32(quint32(3 + 1 + gerade.size() / 2 + 2)).u16(0x0521).u16(quint16(text.size())); // TEXTOUT
        rec.d += gerade;
        rec.i16(10).i16(10); // y, x
    }
    satz(0x0000, {}); // EOF

    Bytes kopf;
    kopf.u32(0x9AC6CDD7).u16(0).i16(0).i16(0).i16(w).i16(h).u16(96).u32(0);
    quint16 pruef = 0;
    for (int i = 0; i < 20; i += 2)
        pruef ^= qFromLittleEndian<quint16>(kopf.d.constData() + i);
    kopf.u16(pruef);
    const quint32 worte = quint32(9 + rec.d.size() / 2);
    kopf.u16(1).u16(9).u16(0x0300).u32(worte).u16(2).u32(groessterSatz).u16(0);
    return kopf.d + rec.d;
}

// An enhanced metafile of w × h pixels (frame in hundredths of a millimetre at
// 96 dots per inch) filling each rectangle with its colour and no outline.
QByteArray emf(int w, int h, const std::vector<Rechteck> &rechtecke)
{
    Bytes rec;
    int saetze = 0;
    auto satz = [&](quint32 art, std::initializer_list<qint32> parameter) {
        rec.u32(art).u32(quint32(8 + 4 * parameter.size()));
        for (qint32 p : parameter)
            rec.i32(p);
        ++saetze;
    };
    satz(37, {qint32(0x80000008)}); // SELECTOBJECT stock NULL_PEN
    for (const Rechteck &r : rechtecke) {
        satz(39, {1, 0, qint32(colorref(r.farbe)), 0}); // CREATEBRUSHINDIRECT ih, style, colour, hatch
        satz(37, {1});                                  // SELECTOBJECT
        satz(43, {r.r.left(), r.r.top(), r.r.right() + 1, r.r.bottom() + 1}); // RECTANGLE
        satz(37, {qint32(0x80000000)});                                       // SELECTOBJECT stock WHITE_BRUSH
        satz(40, {1});                                                        // DELETEOBJECT
    }
    satz(14, {0, 16, 20}); // EOF

    Bytes kopf;
    const quint32 gesamt = quint32(88 + rec.d.size());
    kopf.u32(1).u32(88);
    kopf.i32(0).i32(0).i32(w - 1).i32(h - 1);                                     // bounds in pixels
    kopf.i32(0).i32(0).i32(qRound(w * 2540 / 96.0)).i32(qRound(h * 2540 / 96.0)); // frame
    kopf.u32(0x464D4520).u32(0x10000).u32(gesamt).u32(quint32(saetze + 1));
    kopf.u16(2).u16(0).u32(0).u32(0).u32(0);
    kopf.i32(1920).i32(1080).i32(508).i32(286); // a 96-dpi device in pixels and millimetres
    return kopf.d + rec.d;
}

// A picture whose visible corner holds four colours and whose rest is magenta,
// so a reader that shows the wrong part, or scales, is caught.
QColor ecke(int x, int y)
{
    if (x >= Bild::Sichtbar.width() || y >= Bild::Sichtbar.height())
        return Qt::magenta;
    if (y < 70)
        return x < 60 ? QColor(220, 30, 30) : QColor(30, 30, 220);
    return x < 60 ? QColor(30, 200, 30) : QColor(230, 230, 40);
}

QImage eckenBild(int w, int h)
{
    QImage b(w, h, QImage::Format_RGB888);
    b.fill(Qt::magenta);
    for (int y = 0; y < std::min(h, Bild::Sichtbar.height()); ++y)
        for (int x = 0; x < std::min(w, Bild::Sichtbar.width()); ++x)
            b.setPixelColor(x, y, ecke(x, y));
    return b;
}

// The middles of the four coloured quarters of the visible corner.
void erwarteEcken(const QImage &bild, int toleranz = 12)
{
    ASSERT_EQ(bild.size(), Bild::Sichtbar);
    for (QPoint p : {QPoint(30, 35), QPoint(90, 35), QPoint(30, 107), QPoint(90, 107)}) {
        SCOPED_TRACE(QStringLiteral("%1,%2").arg(p.x()).arg(p.y()).toStdString());
        erwarteFarbe(bild, ecke(p.x(), p.y()), toleranz, p);
    }
}

long vmPeakKiB();

// Loads `p` in a child: 0 when that gives one of `erlaubt` without the child's
// address space growing by more than 32 MiB.
int ladenSparsam(const QString &p, std::initializer_list<Bild::Ergebnis> erlaubt)
{
    return imKind([&] {
        const long vorher = vmPeakKiB();
        const Bild::Ergebnis e = Bild::laden(p).ergebnis;
        if (std::find(erlaubt.begin(), erlaubt.end(), e) == erlaubt.end())
            return 1;
        return vmPeakKiB() - vorher > 32 * 1024 ? 2 : 0;
    });
}

class BildTest : public OrdnerTest {
protected:
    QString schreibe(const QString &name, const QByteArray &daten) const
    {
        dateiSchreiben(pfad(name), daten);
        return pfad(name);
    }
    QImage muster(int w, int h) const
    {
        QImage b(w, h, QImage::Format_RGB32);
        b.fill(QColor(200, 40, 30));
        return b;
    }
};

TEST_F(BildTest, JedeArtLaedtInJederSchreibweise)
{
    ASSERT_TRUE(muster(40, 30).save(pfad("a.bmp"), "BMP"));
    ASSERT_TRUE(QFile::copy(pfad("a.bmp"), pfad("b.Bmp")));
    ASSERT_TRUE(muster(32, 32).save(pfad("a.ico"), "ICO"));
    ASSERT_TRUE(QFile::copy(pfad("a.ico"), pfad("b.ICO")));
    const QByteArray jpeg = rgbJpeg(33, 17, QColor(200, 40, 30));
    for (const QString name : {"a.jpg", "b.JPG", "c.jpeg", "d.JpEg"})
        schreibe(name, jpeg);
    const QByteArray progressiv = jpegAusBild(muster(35, 19), true);
    schreibe("p.jpg", progressiv);
    for (const QString name : {"a.wmf", "b.WMF"})
        schreibe(name, wmf(41, 23, {{QRect(0, 0, 41, 23), QColor(200, 40, 30)}}));
    for (const QString name : {"a.emf", "b.Emf"})
        schreibe(name, emf(43, 29, {{QRect(0, 0, 43, 29), QColor(200, 40, 30)}}));

    struct Fall {
        const char *name;
        QSize groesse;
    };
    for (const Fall &f :
         {Fall{"a.bmp", {40, 30}}, Fall{"b.Bmp", {40, 30}}, Fall{"a.ico", {32, 32}}, Fall{"b.ICO", {32, 32}},
          Fall{"a.jpg", {33, 17}}, Fall{"b.JPG", {33, 17}}, Fall{"c.jpeg", {33, 17}}, Fall{"d.JpEg", {33, 17}},
          Fall{"p.jpg", {35, 19}}, Fall{"a.wmf", {41, 23}}, Fall{"b.WMF", {41, 23}}, Fall{"a.emf", {43, 29}},
          Fall{"b.Emf", {43, 29}}}) {
        SCOPED_TRACE(f.name);
        const Bild::Geladen g = Bild::laden(pfad(f.name));
        ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
        EXPECT_EQ(g.groesse, f.groesse);
        EXPECT_EQ(g.bild.size(), f.groesse) << "smaller than the visible area: shown whole";
        erwarteFarbe(g.bild, QColor(200, 40, 30));
    }
}

TEST_F(BildTest, GrauUndCmykJpegWerdenFarbrichtig)
{
    const Bild::Geladen grau = Bild::laden(schreibe("grau.jpg", jpegKodieren(16, 16, JCS_GRAYSCALE, {90})));
    ASSERT_EQ(grau.ergebnis, Ergebnis::Ok);
    erwarteFarbe(grau.bild, QColor(90, 90, 90));

    // libjpeg marks CMYK files as Adobe's, whose inks are stored inverted as
    // Photoshop writes them: full cyan and nothing else is 0, 255, 255, 255.
    const Bild::Geladen cmyk = Bild::laden(schreibe("cmyk.jpg", jpegKodieren(16, 16, JCS_CMYK, {0, 255, 255, 255})));
    ASSERT_EQ(cmyk.ergebnis, Ergebnis::Ok);
    erwarteFarbe(cmyk.bild, QColor(0, 255, 255), 12);
}

TEST_F(BildTest, OhneLibjpegSindNurJpegsUnlesbar)
{
    // The build names libjpeg by its soname, which the loader finds wherever
    // the system keeps it.
    const QString gebaut = Libjpeg::bibliothek();
    EXPECT_TRUE(gebaut.startsWith("libjpeg.so.")) << gebaut.toStdString();
    const QString jpeg = schreibe("a.jpg", rgbJpeg(16, 16, Qt::red));
    ASSERT_TRUE(muster(8, 8).save(pfad("a.bmp"), "BMP"));
    // No library at all, a file that is no library, and a library without
    // libjpeg's functions: the JPEG cannot be shown, nothing else changes.
    const QString keine = schreibe("keine.so", "Das ist keine Bibliothek.\n");
    for (const QString &name : {pfad("fehlt/libjpeg.so.62"), keine, QStringLiteral("libz.so.1")}) {
        SCOPED_TRACE(name.toStdString());
        Libjpeg::bibliothekSetzen(name);
        const Bild::Geladen g = Bild::laden(jpeg);
        EXPECT_EQ(g.ergebnis, Ergebnis::Unlesbar);
        EXPECT_TRUE(g.bild.isNull());
        EXPECT_EQ(Bild::laden(pfad("a.bmp")).ergebnis, Ergebnis::Ok);
    }
    Libjpeg::bibliothekSetzen(gebaut);
    const Bild::Geladen wieder = Bild::laden(jpeg);
    ASSERT_EQ(wieder.ergebnis, Ergebnis::Ok);
    erwarteFarbe(wieder.bild, Qt::red);
}

TEST_F(BildTest, NichtZuOeffnen)
{
    EXPECT_EQ(Bild::laden(pfad("fehlt.jpg")).ergebnis, Ergebnis::NichtGeoeffnet);
    EXPECT_EQ(Bild::laden(QString()).ergebnis, Ergebnis::NichtGeoeffnet);
    ASSERT_TRUE(QDir(dir.path()).mkdir("ordner.bmp"));
    EXPECT_EQ(Bild::laden(pfad("ordner.bmp")).ergebnis, Ergebnis::NichtGeoeffnet);
    // A named pipe would block the window if it were opened.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.jpg")).constData(), 0600), 0);
    EXPECT_EQ(Bild::laden(pfad("rohr.jpg")).ergebnis, Ergebnis::NichtGeoeffnet);

    const QString gesperrt = schreibe("gesperrt.jpg", rgbJpeg(4, 4, Qt::blue));
    ASSERT_TRUE(QFile::setPermissions(gesperrt, QFileDevice::Permissions())); // not even its owner may read it
    ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther));
    EXPECT_EQ(alsNobody([&] { return int(Bild::laden(gesperrt).ergebnis); }), int(Ergebnis::NichtGeoeffnet));
}

TEST_F(BildTest, GeraeteUndSystemdateienWerdenNichtGelesen)
{
    // A file the system calls regular with a size of 0 that never ends
    // (/proc/self/pagemap), a named pipe and an endless device, each named as
    // a picture of every kind: refused at once, without reading on. The kinds
    // are those the chooser offers.
    EXPECT_EQ(Bild::endungen(), QStringList({"jpg", "jpeg", "bmp", "ico", "emf", "wmf"}));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr")).constData(), 0600), 0);
    std::vector<QString> namen;
    for (const char *ziel : {"/proc/self/pagemap", "/dev/zero"})
        for (const QString &endung : Bild::endungen()) {
            namen.push_back(pfad(QStringLiteral("%1.%2").arg(namen.size()).arg(endung)));
            ASSERT_EQ(::symlink(ziel, QFile::encodeName(namen.back()).constData()), 0);
        }
    for (const QString &endung : Bild::endungen()) {
        namen.push_back(pfad("rohr-link." + endung));
        ASSERT_EQ(::symlink(QFile::encodeName(pfad("rohr")).constData(), QFile::encodeName(namen.back()).constData()),
                  0);
    }
    for (const QString &p : namen) {
        SCOPED_TRACE(QFileInfo(p).symLinkTarget().toStdString() + " as " + p.toStdString());
        EXPECT_EQ(ladenSparsam(p, {Ergebnis::Unlesbar, Ergebnis::NichtGeoeffnet}), 0);
    }
}

TEST_F(BildTest, KaputterInhaltIstUnlesbar)
{
    const QByteArray jpeg = rgbJpeg(64, 64, Qt::green);
    // Grain, so that the coded rows and not the tables fill most of the file.
    QImage korn(96, 96, QImage::Format_RGB888);
    quint32 zufall = 7;
    for (int y = 0; y < korn.height(); ++y)
        for (int x = 0; x < korn.width(); ++x) {
            zufall = zufall * 1664525u + 1013904223u;
            korn.setPixel(x, y, zufall >> 8);
        }
    const QByteArray koernig = jpegAusBild(korn), progressiv = jpegAusBild(korn, true);
    ASSERT_GT(koernig.size(), 8000);
    ASSERT_TRUE(muster(40, 30).save(pfad("ganz.bmp"), "BMP"));
    const QByteArray bmp = dateiLesen(pfad("ganz.bmp"));
    ASSERT_EQ(Bild::laden(pfad("ganz.bmp")).ergebnis, Ergebnis::Ok) << "the whole file is fine";
    const QByteArray wmfDaten = wmf(20, 20, {{QRect(0, 0, 20, 20), Qt::red}});
    const QByteArray emfDaten = emf(20, 20, {{QRect(0, 0, 20, 20), Qt::red}});
    QImage png = muster(8, 8);
    ASSERT_TRUE(png.save(pfad("echt.png"), "PNG"));

    struct Fall {
        const char *name;
        QByteArray daten;
    };
    const Fall faelle[] = {
        {"leer.jpg", {}},
        {"leer.bmp", {}},
        {"leer.ico", {}},
        {"muell.jpg", QByteArray(500, 'x')},
        {"muell.bmp", QByteArray("BM") + QByteArray(100, '\x01')},
        {"muell.ico", QByteArray(100, '\x07')},
        {"halb.jpg", jpeg.left(jpeg.size() / 2)},
        {"nurKopf.jpg", jpeg.left(20)},
        {"png.bmp", dateiLesen(pfad("echt.png"))}, // the extension decides the kind
        {"png.jpg", dateiLesen(pfad("echt.png"))},
        // The data stops early but an end marker follows: libjpeg only warns and
        // would fill the rest with grey.
        {"frueheEnde.jpg", koernig.left(koernig.size() / 2) + QByteArray("\xFF\xD9", 2)},
        {"frueheEndeProgressiv.jpg", progressiv.left(progressiv.size() * 3 / 4) + QByteArray("\xFF\xD9", 2)},
        {"halb.bmp", bmp.left(bmp.size() - 1)}, // one byte short of its last row
        {"text.wmf", QByteArray("Das ist kein Bild, nur Text.\n").repeated(4)},
        {"text.emf", QByteArray("Das ist kein Bild, nur Text.\n").repeated(4)},
        {"halb.wmf", wmfDaten.left(wmfDaten.size() - 2)},
        {"halb.emf", emfDaten.left(emfDaten.size() - 4)},
        {"ohneSignatur.emf", QByteArray(emfDaten).replace(40, 4, "XEMF")},
        // Unknown kinds, and a bitmap named as a metafile.
        {"bild.png", bmp},
        {"bild.gif", bmp},
        {"bild", bmp},
        {"bild.bmp.txt", bmp},
        {"bild.wmf", bmp},
        {"bild.EMF", bmp},
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.name);
        const Bild::Geladen g = Bild::laden(schreibe(f.name, f.daten));
        EXPECT_EQ(g.ergebnis, Ergebnis::Unlesbar);
        EXPECT_TRUE(g.bild.isNull());
    }
}

TEST_F(BildTest, NurDieSichtbareEckeWirdGelesen)
{
    // Large pictures are no longer refused: a phone's 16,000-pixel edge and a
    // panorama both show their top-left corner.
    const QImage gross = eckenBild(2000, 1500);
    schreibe("gross.jpg", jpegAusBild(gross));
    schreibe("gross.JPEG", jpegAusBild(gross, true));
    ASSERT_TRUE(eckenBild(300, 200).save(pfad("gross.bmp"), "BMP"));
    schreibe("breit.jpg", rgbJpeg(20000, 16, Qt::red));
    schreibe("hoch.jpg", rgbJpeg(8, 20000, Qt::red));

    for (const char *name : {"gross.jpg", "gross.JPEG", "gross.bmp"}) {
        SCOPED_TRACE(name);
        const Bild::Geladen g = Bild::laden(pfad(name));
        ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
        erwarteEcken(g.bild);
    }
    EXPECT_EQ(Bild::laden(pfad("gross.jpg")).groesse, QSize(2000, 1500));
    EXPECT_EQ(Bild::laden(pfad("gross.bmp")).groesse, QSize(300, 200));

    // The cropped decode gives the very pixels a full decode gives there.
    const QImage voll = QImage(pfad("gross.jpg"), "JPG").convertToFormat(QImage::Format_RGB888);
    ASSERT_FALSE(voll.isNull());
    const QImage teil = Bild::laden(pfad("gross.jpg")).bild.convertToFormat(QImage::Format_RGB888);
    int groessteAbweichung = 0;
    for (int y = 0; y < teil.height(); ++y)
        for (int x = 0; x < teil.width(); ++x) {
            const QColor a = teil.pixelColor(x, y), b = voll.pixelColor(x, y);
            groessteAbweichung = std::max({groessteAbweichung, std::abs(a.red() - b.red()),
                                           std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
        }
    EXPECT_LE(groessteAbweichung, 2);

    const Bild::Geladen breit = Bild::laden(pfad("breit.jpg")), hoch = Bild::laden(pfad("hoch.jpg"));
    EXPECT_EQ(breit.groesse, QSize(20000, 16));
    EXPECT_EQ(breit.bild.size(), QSize(120, 16));
    EXPECT_EQ(hoch.groesse, QSize(8, 20000));
    EXPECT_EQ(hoch.bild.size(), QSize(8, 145));

    // Both sides of the visible area's edge, for every kind.
    struct Fall {
        QSize groesse, sichtbar;
    };
    for (const Fall &f : {Fall{{120, 145}, {120, 145}}, Fall{{121, 146}, {120, 145}}, Fall{{119, 144}, {119, 144}}}) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(f.groesse.width()).arg(f.groesse.height()).toStdString());
        const int w = f.groesse.width(), h = f.groesse.height();
        ASSERT_TRUE(muster(w, h).save(pfad("k.bmp"), "BMP"));
        schreibe("k.jpg", rgbJpeg(w, h, Qt::red));
        schreibe("k.wmf", wmf(w, h, {{QRect(0, 0, w, h), Qt::red}}));
        schreibe("k.emf", emf(w, h, {{QRect(0, 0, w, h), Qt::red}}));
        for (const char *name : {"k.bmp", "k.jpg", "k.wmf", "k.emf"}) {
            SCOPED_TRACE(name);
            const Bild::Geladen g = Bild::laden(pfad(name));
            ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
            EXPECT_EQ(g.groesse, f.groesse);
            EXPECT_EQ(g.bild.size(), f.sichtbar);
        }
    }
}

TEST_F(BildTest, MetadateienAbDerLinkenOberenEckeInEigenerGroesse)
{
    // 200 × 300 pixels: red top left, blue to the lower right, nothing elsewhere.
    const std::vector<Rechteck> teile = {{QRect(0, 0, 100, 100), QColor(220, 30, 30)},
                                         {QRect(100, 100, 100, 200), QColor(30, 30, 220)}};
    schreibe("b.wmf", wmf(200, 300, teile));
    schreibe("b.emf", emf(200, 300, teile));
    for (const char *name : {"b.wmf", "b.emf"}) {
        SCOPED_TRACE(name);
        const Bild::Geladen g = Bild::laden(pfad(name));
        ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
        EXPECT_EQ(g.groesse, QSize(200, 300));
        ASSERT_EQ(g.bild.size(), Bild::Sichtbar);
        EXPECT_EQ(g.bild.pixelColor(50, 50), QColor(220, 30, 30));
        EXPECT_EQ(g.bild.pixelColor(110, 140), QColor(30, 30, 220)) << "not scaled to fit the area";
        // An undrawn place: libwmf's raster device starts from white, the
        // enhanced metafile lets the card show through.
        const QColor leer = name == std::string("b.wmf") ? QColor(Qt::white) : QColor(Qt::transparent);
        EXPECT_EQ(g.bild.pixelColor(110, 50), leer);
        EXPECT_EQ(g.bild.pixelColor(50, 140), leer);
    }
}

// A progressive JPEG of 1 + 189 + refinements scans: the DC of all components,
// each AC coefficient of each component alone (the first component's at half
// precision), then the last bit of the first `verfeinert` of those.
QByteArray jpegMitScans(int verfeinert)
{
    QImage b(32, 32, QImage::Format_RGB888);
    b.fill(QColor(120, 160, 60));
    const QImage rgb = b;
    std::vector<jpeg_scan_info> skript;
    skript.push_back({3, {0, 1, 2, 0}, 0, 0, 0, 0});
    for (int k = 0; k < 3; ++k)
        for (int i = 1; i <= 63; ++i)
            skript.push_back({1, {k, 0, 0, 0}, i, i, 0, k == 0 ? 1 : 0});
    for (int i = 1; i <= verfeinert; ++i)
        skript.push_back({1, {0, 0, 0, 0}, i, i, 1, 0});

    return jpegAusZeilen(
        32, 32, JCS_RGB, 3, false, [&](int y) { return const_cast<JSAMPLE *>(rgb.constScanLine(y)); }, skript);
}

// A grey progressive JPEG of `breite` × `hoehe` (each a multiple of 128) in
// `scans` scans that code nothing but end-of-band runs: its DC scan takes one
// bit per block, every further scan a few bytes, yet each scan passes over
// all blocks. The AC scans take each coefficient alone in three steps of
// precision, as a valid progression must.
QByteArray leereScans(int breite, int hoehe, int scans)
{
    const auto segment = [](QByteArray &d, char marke, const QByteArray &inhalt) {
        d += '\xFF';
        d += marke;
        d += char((inhalt.size() + 2) >> 8);
        d += char((inhalt.size() + 2) & 0xFF);
        d += inhalt;
    };
    const auto zahl16 = [](int n) { return QByteArray().append(char(n >> 8)).append(char(n & 0xFF)); };
    QByteArray d("\xFF\xD8", 2);
    segment(d, '\xDB', QByteArray(1, '\0') + QByteArray(64, '\1'));
    segment(d, '\xC2', "\x08" + zahl16(hoehe) + zahl16(breite) + QByteArray("\x01\x01\x11\x00", 4));
    // One code of one bit in each table: a DC difference of 0, and a run of 2^14 blocks without a coefficient.
    segment(d, '\xC4', QByteArray("\x00\x01", 2) + QByteArray(15, '\0') + QByteArray(1, '\0'));
    segment(d, '\xC4', QByteArray("\x10\x01", 2) + QByteArray(15, '\0') + QByteArray(1, '\xE0'));
    const int bloecke = breite / 8 * (hoehe / 8);
    const auto scan = [&](int ss, int se, int ah, int al, const QByteArray &daten) {
        segment(d, '\xDA', QByteArray("\x01\x01\x00", 3) + char(ss) + char(se) + char(ah << 4 | al));
        d += daten;
    };
    scan(0, 0, 0, 0, QByteArray(bloecke / 8, '\0'));
    // Each run: the code 0 and fourteen bits 0, fifteen bits in all; eight runs fill fifteen bytes.
    const QByteArray laeufe(bloecke / 16384 / 8 * 15, '\0');
    for (int i = 1; i < scans; ++i) {
        const int koeffizient = (i - 1) / 3 + 1, schritt = (i - 1) % 3;
        scan(koeffizient, koeffizient, schritt == 0 ? 0 : 3 - schritt, 2 - schritt, laeufe);
    }
    return d + QByteArray("\xFF\xD9", 2);
}

TEST_F(BildTest, GrenzenFuerScansUndSymbole)
{
    // Scans: each one costs a pass over the picture, so their number is bounded.
    ASSERT_EQ(1 + 189 + 10, Bild::MaxJpegScans);
    const Bild::Geladen genug = Bild::laden(schreibe("genug.jpg", jpegMitScans(10)));
    ASSERT_EQ(genug.ergebnis, Ergebnis::Ok);
    erwarteFarbe(genug.bild, QColor(120, 160, 60));
    EXPECT_EQ(Bild::laden(schreibe("zuviele.jpg", jpegMitScans(11))).ergebnis, Ergebnis::Unlesbar);
    // And so is the work they make: 2^20 blocks in 16 scans are read, in 17
    // they are not, nor in 190, as a hostile file of that frame would have
    // it. The frame and the file stay inside the other bounds.
    ASSERT_EQ(Bild::MaxJpegArbeit, qint64(16) << 20);
    ASSERT_LE(qint64(1 << 20) * 128, Bild::MaxJpegSpeicher);
    const Bild::Geladen sechzehn = Bild::laden(schreibe("sechzehn.jpg", leereScans(8192, 8192, 16)));
    ASSERT_EQ(sechzehn.ergebnis, Ergebnis::Ok);
    EXPECT_EQ(sechzehn.groesse, QSize(8192, 8192));
    erwarteFarbe(sechzehn.bild, QColor(128, 128, 128));
    for (const int scans : {17, 190})
        EXPECT_EQ(Bild::laden(schreibe("leer.jpg", leereScans(8192, 8192, scans))).ergebnis, Ergebnis::Unlesbar)
            << scans;

    // Icon files: a small icon padded to the limit reads, one byte more does not.
    ASSERT_TRUE(muster(16, 16).save(pfad("klein.ico"), "ICO"));
    const QByteArray ico = dateiLesen(pfad("klein.ico"));
    const QByteArray bisGrenze = ico + QByteArray(Bild::MaxIcoDatei - ico.size(), '\0');
    EXPECT_EQ(Bild::laden(schreibe("grenze.ico", bisGrenze)).ergebnis, Ergebnis::Ok);
    EXPECT_EQ(Bild::laden(schreibe("darueber.ico", bisGrenze + '\0')).ergebnis, Ergebnis::Unlesbar);
}

TEST_F(BildTest, WmfSchriftWirdGezeichnet)
{
    // libwmf draws text with the fonts the set-up installs.
    const Bild::Geladen g = Bild::laden(schreibe("text.wmf", wmf(200, 100, {}, "Hallo Kaa")));
    ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
    EXPECT_EQ(g.groesse, QSize(200, 100));
    int dunkel = 0;
    for (int y = 0; y < g.bild.height(); ++y)
        for (int x = 0; x < g.bild.width(); ++x)
            dunkel += qGray(g.bild.pixel(x, y)) < 100;
    EXPECT_GT(dunkel, 50);
    EXPECT_LT(dunkel, g.bild.width() * g.bild.height() / 3);
}

TEST_F(BildTest, WmfAnDemLibwmfAbstuerztKostetNurDasKind)
{
    // The set-up's libwmf reads through a null pointer drawing the text of this
    // picture once its frame is 32,456 pixels wide (found by fuzzing): the
    // child drawing it dies, the program reports the picture as unreadable.
    QByteArray d = wmf(200, 100, {}, "Hallo Kaa");
    d[11] = char(0x7E); // the frame's right edge, high byte: 200 becomes 32,456
    EXPECT_EQ(Bild::laden(schreibe("breit.wmf", d)).ergebnis, Ergebnis::Unlesbar);
}

// Sets the picture helper for one test and the built one back afterwards.
class MitHelfer {
public:
    explicit MitHelfer(const QString &pfad) : vorher(Metadatei::helfer())
    {
        Metadatei::helferSetzen(pfad);
        Metadatei::Wandlungen::alle().vergessen();
        QCoreApplication::processEvents(); // what earlier conversions still had to tell
    }
    ~MitHelfer()
    {
        Metadatei::helferSetzen(vorher);
        Metadatei::Wandlungen::alle().vergessen();
    }

private:
    QString vorher;
};

TEST(Abschirmung, DerHelferDarfNurInSeinenGrenzenScheitern)
{
    // What a conversion answers comes back; a crash, a refusal, an exit() in
    // the middle, a file written, a memory grab, an endless loop or too long
    // an answer give nothing, and this process lives on.
    MitHelfer probe(QStringLiteral(BILDHELFER_PROBE));
    const QSize sichtbar(120, 145);
    const auto gut = Metadatei::zeichnen("gut", {}, sichtbar);
    ASSERT_TRUE(gut);
    EXPECT_EQ(gut->groesse, QSize(2, 3));
    EXPECT_EQ(gut->bild.pixelColor(1, 2), QColor(200, 40, 30));
    for (const char *art : {"nein", "absturz", "beenden", "speicher", "endlos", "viel", "unbekannt"})
        EXPECT_FALSE(Metadatei::zeichnen(art, {}, sichtbar)) << art;

    QTemporaryDir dir;
    const QString name = dir.filePath("geschrieben");
    EXPECT_FALSE(Metadatei::zeichnen("schreiben", QFile::encodeName(name), sichtbar));
    EXPECT_EQ(QFileInfo(name).size(), 0) << "not a byte reached the disk";

    // Whatever a helper writes, this side takes no more than an answer can
    // hold; and a helper that is not there is no picture either.
    const QString schwaetzer = dir.filePath("schwaetzer.sh");
    dateiSchreiben(schwaetzer, "#!/bin/sh\nexec head -c 100000000 /dev/zero\n");
    ASSERT_TRUE(QFile::setPermissions(schwaetzer, QFile::ReadOwner | QFile::ExeOwner));
    Metadatei::helferSetzen(schwaetzer);
    EXPECT_FALSE(Metadatei::zeichnen("wmf", {}, sichtbar));
    Metadatei::helferSetzen(dir.filePath("fehlt"));
    EXPECT_FALSE(Metadatei::zeichnen("wmf", {}, sichtbar));
}

// A helper that starts, notes each start in `laeufe`, and goes on (to the real
// helper, or to a crash) only once the file `tor` exists: a conversion that
// takes as long as the test wants.
QString torHelfer(const QTemporaryDir &dir, bool absturz)
{
    const QString skript = dir.filePath(absturz ? "absturz.sh" : "langsam.sh");
    const QString weiter = absturz ? QStringLiteral("kill -SEGV $$")
                                   : QStringLiteral("exec '%1' \"$@\"").arg(QStringLiteral(VIVARIX_BILDHELFER));
    dateiSchreiben(skript, QStringLiteral("#!/bin/sh\necho x >> '%1'\nwhile [ ! -e '%2' ]; do sleep 0.01; done\n%3\n")
                               .arg(dir.filePath("laeufe"), dir.filePath("tor"), weiter)
                               .toUtf8());
    EXPECT_TRUE(QFile::setPermissions(skript, QFile::ReadOwner | QFile::ExeOwner));
    return skript;
}

int laeufe(const QTemporaryDir &dir)
{
    return int(dateiLesen(dir.filePath("laeufe")).count('\n'));
}

TEST_F(BildTest, MetadateiWirdEinmalJeStandGewandeltUndNichtAbgewartet)
{
    MitHelfer langsam(torHelfer(dir, false));
    const QString bild = schreibe("a.wmf", wmf(41, 23, {{QRect(0, 0, 41, 23), QColor(200, 40, 30)}}));
    QSignalSpy fertig(&Metadatei::Wandlungen::alle(), &Metadatei::Wandlungen::fertig);
    EXPECT_EQ(Bild::laden(bild, 0).ergebnis, Ergebnis::InArbeit);
    EXPECT_EQ(Bild::laden(bild, 0).ergebnis, Ergebnis::InArbeit);
    EXPECT_TRUE(fertig.isEmpty());
    dateiSchreiben(pfad("tor"), {});
    ASSERT_TRUE(fertig.wait(10000));
    const Bild::Geladen g = Bild::laden(bild, 0);
    ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
    EXPECT_EQ(g.groesse, QSize(41, 23));
    // Through another name it is the same picture; asked again, it is kept.
    ASSERT_EQ(::symlink(QFile::encodeName(bild).constData(), QFile::encodeName(pfad("link.wmf")).constData()), 0);
    EXPECT_EQ(Bild::laden(pfad("link.wmf"), 0).ergebnis, Ergebnis::Ok);
    EXPECT_EQ(Bild::laden(bild, 0).ergebnis, Ergebnis::Ok);
    EXPECT_EQ(laeufe(dir), 1) << "asked four times, converted once";

    // Changed in place: converted afresh.
    dateiSchreiben(bild, wmf(30, 20, {{QRect(0, 0, 30, 20), QColor(200, 40, 30)}}));
    EXPECT_EQ(Bild::laden(bild).groesse, QSize(30, 20));
    EXPECT_EQ(laeufe(dir), 2);
}

TEST_F(BildTest, RelativePfadeNebenDerDatendateiZuerst)
{
    QDir d(dir.path());
    ASSERT_TRUE(d.mkpath("daten/bilder") && d.mkpath("arbeit/bilder"));
    const QString datendatei = pfad("daten/mysnakes.vix");
    schreibe("daten/bilder/nur-daneben.jpg", "x");
    schreibe("daten/bilder/beide.jpg", "x");
    schreibe("arbeit/bilder/beide.jpg", "x");
    schreibe("arbeit/bilder/nur-hier.jpg", "x");

    const QString vorher = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(pfad("arbeit")));
    struct Fall {
        QString pfad, datendatei, erwartet;
    };
    const Fall faelle[] = {
        {"bilder/nur-daneben.jpg", datendatei, pfad("daten/bilder/nur-daneben.jpg")},
        {"bilder/beide.jpg", datendatei, pfad("daten/bilder/beide.jpg")},
        {"bilder/nur-hier.jpg", datendatei, pfad("arbeit/bilder/nur-hier.jpg")},
        {"bilder/nirgends.jpg", datendatei, pfad("arbeit/bilder/nirgends.jpg")},
        {"bilder/beide.jpg", QString(), pfad("arbeit/bilder/beide.jpg")},
        {pfad("daten/bilder/beide.jpg"), pfad("arbeit/x.vix"), pfad("daten/bilder/beide.jpg")},
        {QString(), datendatei, QString()},
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.pfad.toStdString());
        EXPECT_EQ(Bild::aufloesen(f.pfad, f.datendatei), f.erwartet);
    }
    QDir::setCurrent(vorher);
}

// The peak of the process's address space in KiB, from /proc/self/status.
long vmPeakKiB()
{
    long kib = -1;
    if (FILE *f = std::fopen("/proc/self/status", "r")) {
        char zeile[256];
        while (std::fgets(zeile, sizeof zeile, f))
            if (std::sscanf(zeile, "VmPeak: %ld kB", &kib) == 1)
                break;
        std::fclose(f);
    }
    return kib;
}

TEST_F(BildTest, RiesigeKoepfeWerdenVorDemLesenAbgewiesen)
{
    // Headers claiming 60000 × 60000 over a few bytes of data. A reader that
    // believed them would reserve gigabytes before finding out; even untouched,
    // such a reservation shows in the child's peak address space.
    const QString jpeg = schreibe("riesig.jpg", mitGroesse(rgbJpeg(16, 16, Qt::red), 60000, 60000));
    ASSERT_TRUE(muster(4, 4).save(pfad("klein.bmp"), "BMP"));
    QByteArray bmp = dateiLesen(pfad("klein.bmp"));
    const qint32 riesig = 60000;
    bmp.replace(18, 4, reinterpret_cast<const char *>(&riesig), 4); // width, little endian
    bmp.replace(22, 4, reinterpret_cast<const char *>(&riesig), 4); // height
    const QString bmpPfad = schreibe("riesig.bmp", bmp);
    // The largest width, stored top down with the largest height: the bytes
    // it promises do not fit a 64-bit number.
    const qint32 breitest = std::numeric_limits<qint32>::max(), hoechst = std::numeric_limits<qint32>::min();
    bmp.replace(18, 4, reinterpret_cast<const char *>(&breitest), 4);
    bmp.replace(22, 4, reinterpret_cast<const char *>(&hoechst), 4);
    const QString extremPfad = schreibe("extrem.bmp", bmp);

    // The same with a progressive file, whose coefficients libjpeg would hold
    // whole before its first row, and a 3-kilobyte baseline file claiming
    // 8192 × 8192 whose data stops early.
    const QString progressiv = schreibe("riesig-p.jpg", mitGroesse(jpegAusBild(muster(16, 16), true), 60000, 60000));
    const QString mittel = schreibe("mittel-p.jpg", mitGroesse(jpegAusBild(muster(16, 16), true), 6000, 6000));
    const QString kurz = schreibe("kurz.jpg", mitGroesse(rgbJpeg(64, 64, Qt::red), 8192, 8192));
    // A run-length coded bitmap of 10,000 × 6,000 whose one code ends it at once.
    Bytes rle;
    rle.d = "BM";
    rle.u32(14 + 40 + 1024 + 2).u32(0).u32(14 + 40 + 1024);
    rle.u32(40).i32(10000).i32(6000).u16(1).u16(8).u32(1).u32(2).u32(2835).u32(2835).u32(0).u32(0);
    rle.d += QByteArray(1024, '\0') + QByteArray("\0\1", 2);
    const QString rlePfad = schreibe("rle.bmp", rle.d);

    for (const QString &p : {jpeg, bmpPfad, extremPfad, progressiv, mittel, kurz, rlePfad}) {
        SCOPED_TRACE(p.toStdString());
        EXPECT_EQ(ladenSparsam(p, {Ergebnis::Unlesbar}), 0);
    }
}

namespace {
// The SVG file drawn at `groesse`, as the build draws it: the independent
// source for the pixels compiled into the program.
QImage ausSvg(const QString &name, const QSize &groesse)
{
    QSvgRenderer svg(":/bilder/" + name + ".svg");
    EXPECT_TRUE(svg.isValid()) << name.toStdString();
    QImage b(groesse, QImage::Format_ARGB32_Premultiplied);
    b.fill(Qt::transparent);
    QPainter maler(&b);
    svg.render(&maler);
    return b;
}

int deckend(const QImage &b)
{
    int n = 0;
    for (int y = 0; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            n += qAlpha(b.pixel(x, y)) > 128;
    return n;
}
} // namespace

TEST(Bild, StandardBildIstDieSchlangeInDerGroesseDesBildfelds)
{
    const QImage b = Bild::standardBild();
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(b.size(), QSize(120, 145));
    EXPECT_EQ(qAlpha(b.pixel(60, 100)), 255) << "drawn, not just allocated";
    EXPECT_EQ(b.convertToFormat(QImage::Format_ARGB32_Premultiplied), ausSvg("schlange", QSize(120, 145)));
}

TEST(Bild, JedesSymbolIstSeinSvgInJederGroesse)
{
    // Every symbol the windows take from the compiled pixels matches its own
    // SVG file at each drawn size (a stale or swapped picture shows here), and
    // any other size and the disabled look come from them.
    const QStringList symbole = {"neu",   "laden",      "speichern",    "neueschlange", "schlangeloeschen",
                                 "hilfe", "fresscheck", "fresstermine", "fressparade",  "haken"};
    for (const QString &name : symbole) {
        SCOPED_TRACE(name.toStdString());
        const QIcon icon = Bild::symbol(name.toLatin1().constData());
        ASSERT_FALSE(icon.isNull());
        for (int groesse : {16, 24, 32, 48}) {
            const QImage b =
                icon.pixmap(groesse, groesse).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
            EXPECT_EQ(b, ausSvg(name, QSize(groesse, groesse))) << groesse << " pixels";
        }
        for (QIcon::Mode modus : {QIcon::Normal, QIcon::Disabled}) {
            const QImage b = icon.pixmap(20, 20, modus).toImage();
            ASSERT_EQ(b.size(), QSize(20, 20));
            EXPECT_GT(deckend(b), b.width() * b.height() / 8);
        }
    }
    // The card's decoration, the about box and the parade's podium: their size and twice that.
    const std::pair<const char *, QSize> bilder[] = {
        {"deko", {100, 100}}, {"info_hochkant", {90, 250}}, {"info_banner", {320, 110}}, {"podest", {313, 120}}};
    for (const auto &[name, groesse] : bilder)
        for (const QSize g : {groesse, groesse * 2})
            EXPECT_EQ(Bild::symbol(name).pixmap(g).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                      ausSvg(name, g))
                << name << " " << g.width() << " pixels";
    EXPECT_TRUE(Bild::symbol("keins").isNull());
}

TEST(Bild, JedesRessourcenbildZeichnetEtwas)
{
    // The SVG files themselves, the source of every picture drawn at build time.
    for (const QString name : {"schlange", "deko", "podest", "info_banner", "info_hochkant"}) {
        SCOPED_TRACE(name.toStdString());
        const QImage b = ausSvg(name, QSize(48, 48));
        EXPECT_GT(deckend(b), b.width() * b.height() / 16);
    }
}

} // namespace
