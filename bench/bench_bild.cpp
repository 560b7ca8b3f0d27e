// Showing a snake whose picture is a camera photo: Upd with a 4000 × 3000 and a
// 16,000 × 12,000 baseline JPEG, a 4000 × 3000 progressive one, and no picture.
// Targets: Upd with the 4000 × 3000 photo under 5 ms, with the 16,000 × 12,000
// one under 20 ms.
#include "bench/Anwendung.h"
#include "bench/Hauptfenster.h"
#include "app/TVivarix.h"
#include "data/Datendatei.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

namespace {

// A photo-like JPEG: smooth colour gradients with fine grain, quality 90 and
// 4:2:0 colour as cameras write them. Written row by row, so even the largest
// needs no picture in memory.
void fotoSchreiben(const QString &pfad, int w, int h, bool progressiv)
{
    FILE *f = std::fopen(QFile::encodeName(pfad).constData(), "wb");
    jpeg_compress_struct c{};
    jpeg_error_mgr fehler{};
    c.err = jpeg_std_error(&fehler);
    jpeg_create_compress(&c);
    jpeg_stdio_dest(&c, f);
    c.image_width = JDIMENSION(w);
    c.image_height = JDIMENSION(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    if (progressiv)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> zeile(size_t(w) * 3);
    quint32 zufall = 12345;
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < w; ++x) {
            zufall = zufall * 1664525u + 1013904223u;
            const int korn = int(zufall >> 28) - 8;
            zeile[size_t(x) * 3] = JSAMPLE(std::clamp(60 + 120 * x / w + korn, 0, 255));
            zeile[size_t(x) * 3 + 1] = JSAMPLE(std::clamp(90 + 100 * y / h + korn, 0, 255));
            zeile[size_t(x) * 3 + 2] = JSAMPLE(std::clamp(40 + (x + y) % 97 + korn, 0, 255));
        }
        JSAMPROW z = zeile.data();
        jpeg_write_scanlines(&c, &z, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::fclose(f);
}

struct Umgebung {
    QTemporaryDir dir;
    std::unique_ptr<TVivarix> w;
    Umgebung()
    {
        fotoSchreiben(dir.filePath(QStringLiteral("foto.jpg")), 4000, 3000, false);
        fotoSchreiben(dir.filePath(QStringLiteral("riesig.jpg")), 16000, 12000, false);
        fotoSchreiben(dir.filePath(QStringLiteral("progressiv.jpg")), 4000, 3000, true);
        TSchlangen s(4);
        const char *bilder[] = {"", "foto.jpg", "riesig.jpg", "progressiv.jpg"};
        for (int i = 0; i < 4; ++i) {
            s[size_t(i)].setName(QStringLiteral("Schlange %1").arg(i));
            s[size_t(i)].setBild(QLatin1String(bilder[i])); // relative: beside the data file
        }
        Datendatei::speichern(dir.filePath(QStringLiteral("bilder.vix")), s);

        w = hauptfenster(dir.path());
        w->Laden(dir.filePath(QStringLiteral("bilder.vix")));
        w->Dateiname = dir.filePath(QStringLiteral("bilder.vix"));
        QApplication::processEvents();
    }
    qint64 groesse(const char *name) const { return QFileInfo(dir.filePath(QLatin1String(name))).size(); }
};

Umgebung &umgebung()
{
    return einmal<Umgebung>();
}

void BM_UpdMitBild(benchmark::State &state)
{
    Umgebung &u = umgebung();
    const int i = int(state.range(0));
    for (auto _ : state)
        u.w->Upd(i);
    const char *namen[] = {"no picture", "4000 x 3000 baseline", "16000 x 12000 baseline", "4000 x 3000 progressive"};
    const char *dateien[] = {"", "foto.jpg", "riesig.jpg", "progressiv.jpg"};
    QString label = QLatin1String(namen[i]);
    if (i > 0)
        label += QStringLiteral(", %1 MB file").arg(double(u.groesse(dateien[i])) / 1e6, 0, 'f', 1);
    state.SetLabel(label.toStdString());
}
BENCHMARK(BM_UpdMitBild)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return mitAnwendung(argc, argv, [] { einmalig<Umgebung>().reset(); });
}
