#include "toolkit/Metadatei.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>

namespace Metadatei {
namespace {

// ---- The child process ----

// What the converting child may take beyond what it inherits.
constexpr rlim_t ArbeitsSpeicher = 256u * 1024 * 1024;
constexpr rlim_t CpuSekunden = 2;
// Wall-clock bound for a child that neither works nor ends (a lock it inherited
// in a held state, say). A normal conversion takes milliseconds.
constexpr qint64 FristMs = 5000;

// The data segment the process has now, from /proc/self/statm (in pages).
rlim_t jetzigeDaten()
{
    unsigned long groesse = 0, resident = 0, geteilt = 0, text = 0, lib = 0, daten = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%lu %lu %lu %lu %lu %lu", &groesse, &resident, &geteilt, &text, &lib, &daten) != 6)
            daten = 0;
        std::fclose(f);
    }
    return rlim_t(daten) * rlim_t(sysconf(_SC_PAGESIZE));
}

// libwmf calls exit() on some failures. In the child that would run the whole
// program's exit handlers and static destructors on its copy of the process,
// which can reach shared things (temporary files, the display connection).
// Handlers run newest first, so this one ends the child before any other.
void kindBeenden()
{
    ::_exit(1);
}

void kindGrenzenSetzen()
{
    std::atexit(kindBeenden);
    const rlimit nichts{0, 0};
    setrlimit(RLIMIT_CORE, &nichts);
    setrlimit(RLIMIT_FSIZE, &nichts); // no file may be written; the pipe is no file
    const rlimit cpu{CpuSekunden, CpuSekunden + 1};
    setrlimit(RLIMIT_CPU, &cpu);
    const rlim_t daten = jetzigeDaten() + ArbeitsSpeicher;
    const rlimit speicher{daten, daten};
    setrlimit(RLIMIT_DATA, &speicher);
    // The libraries may talk on stdout/stderr; the user sees none of it.
    const int leer = ::open("/dev/null", O_WRONLY);
    if (leer >= 0) {
        ::dup2(leer, STDOUT_FILENO);
        ::dup2(leer, STDERR_FILENO);
        ::close(leer);
    }
}

bool allesSchreiben(int fd, const char *p, size_t rest)
{
    while (rest > 0) {
        const ssize_t n = ::write(fd, p, rest);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        rest -= size_t(n);
    }
    return true;
}

} // namespace

// The child does not touch Qt: it calls the C library and writes to the pipe.
std::optional<QByteArray> abgeschirmt(const std::function<bool(std::string &)> &umwandeln)
{
    int rohr[2];
    if (::pipe2(rohr, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t kind = ::fork();
    if (kind < 0) {
        ::close(rohr[0]);
        ::close(rohr[1]);
        return std::nullopt;
    }
    if (kind == 0) {
        ::close(rohr[0]);
        kindGrenzenSetzen();
        std::string aus;
        bool ok = false;
        try {
            ok = umwandeln(aus);
        } catch (...) {
            ok = false;
        }
        if (!ok || aus.size() > size_t(MaxSvg) + 8 || !allesSchreiben(rohr[1], aus.data(), aus.size()))
            ::_exit(1);
        ::_exit(0);
    }

    ::close(rohr[1]);
    QByteArray aus;
    bool abbrechen = false;
    QElapsedTimer uhr;
    uhr.start();
    char puffer[64 * 1024];
    for (;;) {
        const qint64 rest = FristMs - uhr.elapsed();
        pollfd p{rohr[0], POLLIN, 0};
        const int r = rest > 0 ? ::poll(&p, 1, int(rest)) : 0;
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0) {
            abbrechen = true;
            break;
        }
        const ssize_t n = ::read(rohr[0], puffer, sizeof puffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (aus.size() + n > MaxSvg + 8) {
            abbrechen = true;
            break;
        }
        aus.append(puffer, n);
    }
    ::close(rohr[0]);
    if (abbrechen)
        ::kill(kind, SIGKILL);
    int status = 0;
    pid_t beendet;
    while ((beendet = ::waitpid(kind, &status, 0)) < 0 && errno == EINTR) {
    }
    if (abbrechen || beendet != kind || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return aus;
}

namespace {

// The child's answer: width and height (32 bits each, little endian), then the SVG.
void groesseVoranstellen(std::string &aus, quint32 breite, quint32 hoehe)
{
    char kopf[8];
    qToLittleEndian(breite, kopf);
    qToLittleEndian(hoehe, kopf + 4);
    aus.insert(0, kopf, sizeof kopf);
}

// ---- Drawing in this process ----

bool kanteGueltig(qint64 n)
{
    return n >= 1 && n <= MaxKante;
}

std::optional<Gezeichnet> svgZeichnen(const std::optional<QByteArray> &antwort, QSize sichtbar)
{
    if (!antwort || antwort->size() < 8)
        return std::nullopt;
    const auto *kopf = reinterpret_cast<const uchar *>(antwort->constData());
    const QSize groesse(int(qFromLittleEndian<quint32>(kopf)), int(qFromLittleEndian<quint32>(kopf + 4)));
    if (!kanteGueltig(qFromLittleEndian<quint32>(kopf)) || !kanteGueltig(qFromLittleEndian<quint32>(kopf + 4)))
        return std::nullopt;
    QSvgRenderer svg(antwort->mid(8));
    if (!svg.isValid())
        return std::nullopt;
    // Only the visible corner is drawn; the rest of the picture falls outside.
    QImage bild(groesse.boundedTo(sichtbar), QImage::Format_ARGB32_Premultiplied);
    if (bild.isNull())
        return std::nullopt;
    bild.fill(Qt::transparent);
    QPainter maler(&bild);
    maler.setRenderHint(QPainter::Antialiasing);
    svg.render(&maler, QRectF(QPointF(0, 0), QSizeF(groesse)));
    maler.end();
    return Gezeichnet{std::move(bild), groesse};
}

quint16 u16(const QByteArray &d, qsizetype at)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar *>(d.constData()) + at);
}

quint32 u32(const QByteArray &d, qsizetype at)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(d.constData()) + at);
}

qint32 i32(const QByteArray &d, qsizetype at)
{
    return qint32(u32(d, at));
}

// ---- wmf ----

constexpr quint32 PlaceableKennung = 0x9AC6CDD7;
constexpr qsizetype PlaceableLaenge = 22;
constexpr qsizetype MetaKopfLaenge = 18;

// A plain metafile header, optionally behind the placeable one, whose recorded
// length fits the file: anything else is no wmf, or a cut-off one.
bool wmfKopfGueltig(const QByteArray &d)
{
    qsizetype kopf = 0;
    if (d.size() >= 4 && u32(d, 0) == PlaceableKennung)
        kopf = PlaceableLaenge;
    if (d.size() < kopf + MetaKopfLaenge)
        return false;
    const quint16 art = u16(d, kopf), kopfWorte = u16(d, kopf + 2), version = u16(d, kopf + 4);
    const qint64 laenge = qint64(u32(d, kopf + 6)) * 2; // in 16-bit words
    return (art == 1 || art == 2) && kopfWorte == 9 && (version == 0x0100 || version == 0x0300)
           && laenge >= MetaKopfLaenge && kopf + laenge <= d.size();
}

// Runs in the child. libwmf's own raster device draws the visible corner at
// the picture's own size (its SVG device would round every colour to the
// nearest named one). The answer: own size, visible size, then the visible
// pixels as libwmf's gd keeps them (alpha 0 opaque to 127 clear, then RGB).
bool wmfNachPixeln(const QByteArray &daten, QSize sichtbar, std::string &aus)
{
    wmfAPI_Options optionen{};
    optionen.function = wmf_gd_function;
    wmfAPI *api = nullptr;
    if (wmf_api_create(&api, WMF_OPT_FUNCTION | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG, &optionen) != wmf_E_None) {
        if (api)
            wmf_api_destroy(api);
        return false;
    }
    std::vector<unsigned char> puffer(daten.begin(), daten.end());
    bool ok = wmf_mem_open(api, puffer.data(), long(puffer.size())) == wmf_E_None;
    wmfD_Rect rahmen{};
    unsigned int breite = 0, hoehe = 0;
    ok = ok && wmf_scan(api, 0, &rahmen) == wmf_E_None;
    // 96 dots per inch: the size the picture has on a usual screen.
    ok = ok && wmf_display_size(api, &breite, &hoehe, 96, 96) == wmf_E_None;
    ok = ok && kanteGueltig(breite) && kanteGueltig(hoehe) && rahmen.BR.x > rahmen.TL.x && rahmen.BR.y > rahmen.TL.y;
    QSize teil;
    if (ok) {
        teil = QSize(int(breite), int(hoehe)).boundedTo(sichtbar);
        // The part of the picture's frame that the visible corner shows.
        wmfD_Rect ecke = rahmen;
        ecke.BR.x = rahmen.TL.x + (rahmen.BR.x - rahmen.TL.x) * float(teil.width()) / float(breite);
        ecke.BR.y = rahmen.TL.y + (rahmen.BR.y - rahmen.TL.y) * float(teil.height()) / float(hoehe);
        wmf_gd_t *gd = WMF_GD_GetData(api);
        gd->type = wmf_gd_image;
        gd->bbox = ecke;
        gd->width = unsigned(teil.width());
        gd->height = unsigned(teil.height());
        ok = wmf_play(api, 0, &ecke) == wmf_E_None && gd->gd_image;
        const int *pixel = ok ? wmf_gd_image_pixels(gd->gd_image) : nullptr;
        ok = pixel != nullptr;
        if (ok) {
            char kopf[8];
            qToLittleEndian(quint32(teil.width()), kopf);
            qToLittleEndian(quint32(teil.height()), kopf + 4);
            aus.append(kopf, sizeof kopf);
            for (qsizetype i = 0, n = qsizetype(teil.width()) * teil.height(); i < n; ++i) {
                char p[4];
                qToLittleEndian(quint32(pixel[i]), p);
                aus.append(p, sizeof p);
            }
        }
    }
    wmf_api_destroy(api);
    if (!ok)
        return false;
    groesseVoranstellen(aus, breite, hoehe);
    return true;
}

std::optional<Gezeichnet> pixelUebernehmen(const std::optional<QByteArray> &antwort, QSize sichtbar)
{
    if (!antwort || antwort->size() < 16)
        return std::nullopt;
    const auto *d = reinterpret_cast<const uchar *>(antwort->constData());
    const quint32 b = qFromLittleEndian<quint32>(d), h = qFromLittleEndian<quint32>(d + 4);
    const quint32 tb = qFromLittleEndian<quint32>(d + 8), th = qFromLittleEndian<quint32>(d + 12);
    if (!kanteGueltig(b) || !kanteGueltig(h) || QSize(int(tb), int(th)) != QSize(int(b), int(h)).boundedTo(sichtbar)
        || antwort->size() != 16 + qsizetype(tb) * th * 4)
        return std::nullopt;
    QImage bild(int(tb), int(th), QImage::Format_ARGB32);
    const uchar *p = d + 16;
    for (int y = 0; y < int(th); ++y) {
        auto *zeile = reinterpret_cast<QRgb *>(bild.scanLine(y));
        for (int x = 0; x < int(tb); ++x, p += 4) {
            const quint32 gd = qFromLittleEndian<quint32>(p);
            const int deckung = 255 - int((gd >> 24) & 0x7F) * 255 / 127;
            zeile[x] = qRgba(int(gd >> 16) & 0xFF, int(gd >> 8) & 0xFF, int(gd) & 0xFF, deckung);
        }
    }
    return Gezeichnet{bild.convertToFormat(QImage::Format_ARGB32_Premultiplied), QSize(int(b), int(h))};
}

// ---- emf ----

constexpr qsizetype EmfKopfLaenge = 88;
constexpr quint32 EmfSignatur = 0x464D4520; // " EMF"

// The own size: the frame in hundredths of a millimetre at 96 dots per inch, as
// Windows shows a metafile on a usual screen; the device bounds when the frame is empty.
QSize emfGroesse(const QByteArray &d)
{
    const qint64 rahmenB = qint64(i32(d, 32)) - i32(d, 24), rahmenH = qint64(i32(d, 36)) - i32(d, 28);
    if (rahmenB > 0 && rahmenH > 0)
        return QSize(int(std::min<qint64>(std::llround(rahmenB * 96.0 / 2540.0), MaxKante + 1)),
                     int(std::min<qint64>(std::llround(rahmenH * 96.0 / 2540.0), MaxKante + 1)));
    const qint64 b = qint64(i32(d, 16)) - i32(d, 8) + 1, h = qint64(i32(d, 20)) - i32(d, 12) + 1;
    return QSize(int(std::clamp<qint64>(b, 0, MaxKante + 1)), int(std::clamp<qint64>(h, 0, MaxKante + 1)));
}

bool emfKopfGueltig(const QByteArray &d)
{
    if (d.size() < EmfKopfLaenge || u32(d, 0) != 1 || u32(d, 40) != EmfSignatur)
        return false;
    const quint32 kopf = u32(d, 4), gesamt = u32(d, 48);
    return kopf >= EmfKopfLaenge && kopf <= gesamt && gesamt <= quint64(d.size());
}

// Runs in the child.
bool emfNachSvg(const QByteArray &daten, QSize groesse, std::string &aus)
{
    generatorOptions optionen{};
    optionen.nameSpace = const_cast<char *>("svg");
    optionen.verbose = false;
    optionen.emfplus = true;
    optionen.svgDelimiter = true;
    optionen.imgWidth = groesse.width();
    optionen.imgHeight = groesse.height();
    std::vector<char> puffer(daten.begin(), daten.end());
    char *svg = nullptr;
    size_t laenge = 0;
    const int erfolg = emf2svg(puffer.data(), puffer.size(), &svg, &laenge, &optionen);
    const bool ok = erfolg != 0 && svg && laenge > 0 && laenge <= size_t(MaxSvg);
    if (ok)
        aus.assign(svg, laenge);
    std::free(svg);
    if (!ok)
        return false;
    groesseVoranstellen(aus, quint32(groesse.width()), quint32(groesse.height()));
    return true;
}

} // namespace

std::optional<Gezeichnet> wmfZeichnen(const QByteArray &daten, QSize sichtbar, Abschirmung abschirmen)
{
    if (daten.size() > MaxDatei || !wmfKopfGueltig(daten))
        return std::nullopt;
    return pixelUebernehmen(abschirmen([&](std::string &aus) { return wmfNachPixeln(daten, sichtbar, aus); }),
                            sichtbar);
}

std::optional<Gezeichnet> emfZeichnen(const QByteArray &daten, QSize sichtbar, Abschirmung abschirmen)
{
    if (daten.size() > MaxDatei || !emfKopfGueltig(daten))
        return std::nullopt;
    const QSize groesse = emfGroesse(daten);
    if (!kanteGueltig(groesse.width()) || !kanteGueltig(groesse.height()))
        return std::nullopt;
    return svgZeichnen(abschirmen([&](std::string &aus) { return emfNachSvg(daten, groesse, aus); }), sichtbar);
}

} // namespace Metadatei
