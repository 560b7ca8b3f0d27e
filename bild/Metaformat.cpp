#include "bild/Metaformat.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cmath>

#include <unistd.h>

namespace Metadatei {
namespace {

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

// A plain metafile header, optionally behind the placeable one.
bool wmfKopfGueltig(const QByteArray &d)
{
    qsizetype kopf = 0;
    if (d.size() >= 4 && u32(d, 0) == PlaceableKennung)
        kopf = PlaceableLaenge;
    if (d.size() < kopf + MetaKopfLaenge)
        return false;
    const quint16 art = u16(d, kopf), kopfWorte = u16(d, kopf + 2), version = u16(d, kopf + 4);
    const qint64 laenge = qint64(u32(d, kopf + 6)) * 2; // in 16-bit words
    return (art == 1 || art == 2) && kopfWorte == 9 && (version == 0x0100 || version == 0x0300) &&
           laenge >= MetaKopfLaenge && kopf + laenge <= d.size();
}

// ---- emf ----

constexpr qsizetype EmfKopfLaenge = 88;
constexpr quint32 EmfSignatur = 0x464D4520; // " EMF"

bool emfKopfGueltig(const QByteArray &d)
{
    if (d.size() < EmfKopfLaenge || u32(d, 0) != 1 || u32(d, 40) != EmfSignatur)
        return false;
    const quint32 kopf = u32(d, 4), gesamt = u32(d, 48);
    return kopf >= EmfKopfLaenge && kopf <= gesamt && gesamt <= quint64(d.size());
}

constexpr qsizetype AntwortKopf = 16;

} // namespace

const char *artName(Art art)
{
    return art == Art::Wmf ? "wmf" : "emf";
}

bool kanteGueltig(qint64 n)
{
    return n >= 1 && n <= MaxKante;
}

bool kopfGueltig(Art art, const QByteArray &daten)
{
    if (daten.size() > MaxDatei)
        return false;
    return art == Art::Wmf ? wmfKopfGueltig(daten) : emfKopfGueltig(daten);
}

// The frame in hundredths of a millimetre at 96 dots per inch, as Windows shows
// a metafile on a usual screen; the device bounds when the frame is empty.
QSize emfGroesse(const QByteArray &d)
{
    if (d.size() < EmfKopfLaenge)
        return {};
    const qint64 rahmenB = qint64(i32(d, 32)) - i32(d, 24), rahmenH = qint64(i32(d, 36)) - i32(d, 28);
    if (rahmenB > 0 && rahmenH > 0)
        return QSize(int(std::min<qint64>(std::llround(rahmenB * 96.0 / 2540.0), MaxKante + 1)),
                     int(std::min<qint64>(std::llround(rahmenH * 96.0 / 2540.0), MaxKante + 1)));
    const qint64 b = qint64(i32(d, 16)) - i32(d, 8) + 1, h = qint64(i32(d, 20)) - i32(d, 12) + 1;
    return QSize(int(std::clamp<qint64>(b, 0, MaxKante + 1)), int(std::clamp<qint64>(h, 0, MaxKante + 1)));
}

qsizetype antwortHoechstens(QSize sichtbar)
{
    return AntwortKopf + qsizetype(std::max(sichtbar.width(), 0)) * std::max(sichtbar.height(), 0) * 4;
}

void antwortAnhaengen(std::string &aus, QSize groesse, const QImage &teil)
{
    const QImage argb = teil.convertToFormat(QImage::Format_ARGB32);
    char zahl[4];
    for (int n : {groesse.width(), groesse.height(), argb.width(), argb.height()}) {
        qToLittleEndian(quint32(n), zahl);
        aus.append(zahl, sizeof zahl);
    }
    for (int y = 0; y < argb.height(); ++y) {
        const auto *zeile = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x) {
            qToLittleEndian(quint32(zeile[x]), zahl);
            aus.append(zahl, sizeof zahl);
        }
    }
}

bool allesSchreiben(int fd, const char *p, std::size_t rest)
{
    while (rest > 0) {
        const ssize_t n = ::write(fd, p, rest);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        rest -= std::size_t(n);
    }
    return true;
}

std::optional<Gezeichnet> antwortLesen(const QByteArray &antwort, QSize sichtbar)
{
    if (antwort.size() < AntwortKopf)
        return std::nullopt;
    const quint32 b = u32(antwort, 0), h = u32(antwort, 4), tb = u32(antwort, 8), th = u32(antwort, 12);
    if (!kanteGueltig(b) || !kanteGueltig(h))
        return std::nullopt;
    const QSize groesse{int(b), int(h)};
    if (QSize(int(tb), int(th)) != groesse.boundedTo(sichtbar) ||
        antwort.size() != AntwortKopf + qsizetype(tb) * th * 4)
        return std::nullopt;
    QImage bild(int(tb), int(th), QImage::Format_ARGB32);
    if (bild.isNull())
        return std::nullopt;
    const auto *p = reinterpret_cast<const uchar *>(antwort.constData()) + AntwortKopf;
    for (int y = 0; y < int(th); ++y) {
        auto *zeile = reinterpret_cast<QRgb *>(bild.scanLine(y));
        for (int x = 0; x < int(tb); ++x, p += 4)
            zeile[x] = qFromLittleEndian<quint32>(p);
    }
    return Gezeichnet{bild.convertToFormat(QImage::Format_ARGB32_Premultiplied), groesse};
}

} // namespace Metadatei
