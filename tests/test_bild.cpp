#include "toolkit/Bild.h"

#include "Hilfen.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QSvgRenderer>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

using Bild::Ergebnis;

// Encodes a w × h JPEG whose every pixel is `pixel` (components as the colour
// space wants them).
QByteArray jpegKodieren(int w, int h, J_COLOR_SPACE raum, const std::vector<JSAMPLE> &pixel)
{
    jpeg_compress_struct c{};
    jpeg_error_mgr fehler{};
    c.err = jpeg_std_error(&fehler);
    jpeg_create_compress(&c);
    unsigned char *puffer = nullptr;
    unsigned long laenge = 0;
    jpeg_mem_dest(&c, &puffer, &laenge);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = int(pixel.size());
    c.in_color_space = raum;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> zeile;
    for (int x = 0; x < w; ++x)
        zeile.insert(zeile.end(), pixel.begin(), pixel.end());
    while (c.next_scanline < c.image_height) {
        JSAMPROW z = zeile.data();
        jpeg_write_scanlines(&c, &z, 1);
    }
    jpeg_finish_compress(&c);
    QByteArray daten(reinterpret_cast<const char *>(puffer), qsizetype(laenge));
    jpeg_destroy_compress(&c);
    std::free(puffer);
    return daten;
}

QByteArray rgbJpeg(int w, int h, QColor farbe)
{
    return jpegKodieren(w, h, JCS_RGB,
                        {JSAMPLE(farbe.red()), JSAMPLE(farbe.green()), JSAMPLE(farbe.blue())});
}

// The same file with the frame header's height and width replaced.
QByteArray mitGroesse(QByteArray jpeg, quint16 w, quint16 h)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(h >> 8);
    jpeg[sof + 6] = char(h & 0xFF);
    jpeg[sof + 7] = char(w >> 8);
    jpeg[sof + 8] = char(w & 0xFF);
    return jpeg;
}

void erwarteFarbe(const QImage &bild, QColor soll, int toleranz = 6)
{
    ASSERT_FALSE(bild.isNull());
    const QColor ist = bild.pixelColor(bild.width() / 2, bild.height() / 2);
    EXPECT_NEAR(ist.red(), soll.red(), toleranz);
    EXPECT_NEAR(ist.green(), soll.green(), toleranz);
    EXPECT_NEAR(ist.blue(), soll.blue(), toleranz);
}

class BildTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pfad(const QString &name) const { return dir.filePath(name); }
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

    struct Fall {
        const char *name;
        QSize groesse;
    };
    for (const Fall &f : {Fall{"a.bmp", {40, 30}}, Fall{"b.Bmp", {40, 30}}, Fall{"a.ico", {32, 32}},
                          Fall{"b.ICO", {32, 32}}, Fall{"a.jpg", {33, 17}}, Fall{"b.JPG", {33, 17}},
                          Fall{"c.jpeg", {33, 17}}, Fall{"d.JpEg", {33, 17}}}) {
        SCOPED_TRACE(f.name);
        const Bild::Geladen g = Bild::laden(pfad(f.name));
        ASSERT_EQ(g.ergebnis, Ergebnis::Ok);
        EXPECT_EQ(g.bild.size(), f.groesse);
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

TEST_F(BildTest, KaputterInhaltIstUnlesbar)
{
    const QByteArray jpeg = rgbJpeg(64, 64, Qt::green);
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
    };
    for (const Fall &f : faelle) {
        SCOPED_TRACE(f.name);
        const Bild::Geladen g = Bild::laden(schreibe(f.name, f.daten));
        EXPECT_EQ(g.ergebnis, Ergebnis::Unlesbar);
        EXPECT_TRUE(g.bild.isNull());
    }
}

TEST_F(BildTest, KantenUeberDerGrenzeWerdenAbgewiesen)
{
    // Real, readable pictures one pixel on either side of the limit.
    QImage bmpBreit = muster(Bild::MaxKante + 1, 1), bmpGrenze = muster(Bild::MaxKante, 1);
    ASSERT_TRUE(bmpBreit.save(pfad("breit.bmp"), "BMP"));
    ASSERT_TRUE(bmpGrenze.save(pfad("grenze.bmp"), "BMP"));
    schreibe("breit.jpg", rgbJpeg(1, Bild::MaxKante + 1, Qt::red));
    schreibe("grenze.jpg", rgbJpeg(1, Bild::MaxKante, Qt::red));

    EXPECT_EQ(Bild::laden(pfad("breit.bmp")).ergebnis, Ergebnis::Unlesbar);
    EXPECT_EQ(Bild::laden(pfad("breit.jpg")).ergebnis, Ergebnis::Unlesbar);
    EXPECT_EQ(Bild::laden(pfad("grenze.bmp")).bild.size(), QSize(Bild::MaxKante, 1));
    EXPECT_EQ(Bild::laden(pfad("grenze.jpg")).bild.size(), QSize(1, Bild::MaxKante));
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

    for (const QString &p : {jpeg, bmpPfad}) {
        SCOPED_TRACE(p.toStdString());
        EXPECT_EQ(imKind([&] {
                      const long vorher = vmPeakKiB();
                      if (Bild::laden(p).ergebnis != Ergebnis::Unlesbar)
                          return 1;
                      return vmPeakKiB() - vorher > 256 * 1024 ? 2 : 0;
                  }),
                  0);
    }
}

TEST_F(BildTest, UnbekannteUndNochNichtGelesenArtenSindUnlesbar)
{
    const QByteArray bmp = [&] {
        muster(4, 4).save(pfad("x.bmp"), "BMP");
        return dateiLesen(pfad("x.bmp"));
    }();
    for (const QString name : {"bild.png", "bild.gif", "bild", "bild.bmp.txt", "bild.wmf", "bild.EMF"}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(Bild::laden(schreibe(name, bmp)).ergebnis, Ergebnis::Unlesbar);
    }
}

TEST(Bild, EndungenSindDieDesWaehlers)
{
    EXPECT_EQ(Bild::endungen(), QStringList({"jpg", "jpeg", "bmp", "ico", "emf", "wmf"}));
}

TEST(Bild, StandardBildHatDieGroesseDesBildfelds)
{
    const QImage b = Bild::standardBild();
    ASSERT_FALSE(b.isNull());
    EXPECT_EQ(b.size(), QSize(120, 145));
    // Drawn, not just allocated: the middle is opaque.
    EXPECT_EQ(qAlpha(b.pixel(60, 100)), 255);
}

TEST(Bild, JedesRessourcenbildZeichnetEtwas)
{
    const QStringList namen = {"schlange", "deko", "neu", "laden", "speichern", "neueschlange", "schlangeloeschen",
                               "hilfe", "fresscheck", "fresstermine", "fressparade"};
    for (const QString &name : namen) {
        SCOPED_TRACE(name.toStdString());
        const QString res = ":/bilder/" + name + ".svg";
        ASSERT_TRUE(QSvgRenderer(res).isValid());
        const QIcon icon(res);
        for (QIcon::Mode modus : {QIcon::Normal, QIcon::Disabled}) {
            const QImage b = icon.pixmap(24, 24, modus).toImage();
            ASSERT_FALSE(b.isNull());
            int deckend = 0;
            for (int y = 0; y < b.height(); ++y)
                for (int x = 0; x < b.width(); ++x)
                    deckend += qAlpha(b.pixel(x, y)) > 128;
            EXPECT_GT(deckend, b.width() * b.height() / 8);
        }
    }
}

} // namespace
