// Feeds arbitrary bytes to the data file reader as a .vix file, reads every
// field of every record, and checks that saving writes the whole records back
// unchanged and that storing a field's own text back changes no byte. The
// saved file has a second name, so it is rewritten in place; a file is still
// what was loaded or saved until another writer changes a byte of it.
#include "Ordner.h"
#include "data/Datendatei.h"
#include "data/Ersetzen.h"
#include "data/Fehler.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

const std::string &ordner()
{
    // Never destroyed: the clean-up at exit still needs it.
    static const std::string &o = *new std::string([] {
        std::string muster = fuzz::neuerOrdner("fuzz_datendatei");
        std::atexit([] {
            for (const char *n : {"/ein.vix", "/aus.vix", "/aus2.vix"})
                ::unlink((ordner() + n).c_str());
            ::rmdir((ordner() + "/vivarix").c_str());
            ::rmdir(ordner().c_str());
        });
        // The in-place save keeps its copy of the old bytes here.
        ::setenv("XDG_CACHE_HOME", muster.c_str(), 1);
        return muster;
    }());
    return o;
}

QByteArray dateiLesen(const QString &p)
{
    QFile f(p);
    if (!f.open(QIODevice::ReadOnly))
        std::abort();
    return f.readAll();
}

void pruefen(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// A field whose length byte is within its capacity reads back as exactly what
// storing its text writes; a larger one reads as the capacity.
template <typename Get, typename Set>
void feld(TSchlange &s, std::size_t off, int kap, Get get, Set set)
{
    const QString t = get();
    pruefen(t.size() == std::min<int>(s.data()[off], kap));
    if (s.data()[off] > kap)
        return;
    const TSchlange vorher = s;
    set(t);
    pruefen(s == vorher);
}

struct Stamm {
    std::size_t off;
    int kap;
    QString (TSchlange::*get)() const;
    void (TSchlange::*set)(const QString &);
};
const Stamm stammFelder[] = {
    {TSchlange::OffName, TSchlange::NameKap, &TSchlange::name, &TSchlange::setName},
    {TSchlange::OffGattung, TSchlange::GattungKap, &TSchlange::gattung, &TSchlange::setGattung},
    {TSchlange::OffFarbe, TSchlange::FarbeKap, &TSchlange::farbe, &TSchlange::setFarbe},
    {TSchlange::OffGeschlecht, TSchlange::GeschlechtKap, &TSchlange::geschlecht, &TSchlange::setGeschlecht},
    {TSchlange::OffSchlupf, TSchlange::SchlupfKap, &TSchlange::schlupf, &TSchlange::setSchlupf},
    {TSchlange::OffBild, TSchlange::BildKap, &TSchlange::bild, &TSchlange::setBild},
};

struct Journal {
    std::size_t off, breite;
    int kap;
    QString (TSchlange::*get)(int) const;
    void (TSchlange::*set)(int, const QString &);
};
const Journal journalFelder[] = {
    {TSchlange::OffFutterDatum, 9, TSchlange::DatumKap, &TSchlange::futterDatum, &TSchlange::setFutterDatum},
    {TSchlange::OffBemerkDatum, 9, TSchlange::DatumKap, &TSchlange::bemerkDatum, &TSchlange::setBemerkDatum},
    {TSchlange::OffFutter, 101, TSchlange::TextKap, &TSchlange::futter, &TSchlange::setFutter},
    {TSchlange::OffBemerkung, 101, TSchlange::TextKap, &TSchlange::bemerkung, &TSchlange::setBemerkung},
};

void allesLesen(TSchlange &s)
{
    for (const Stamm &f : stammFelder)
        feld(
            s, f.off, f.kap, [&] { return (s.*f.get)(); }, [&](const QString &t) { (s.*f.set)(t); });
    const std::int32_t tage = s.tage();
    s.setTage(tage);
    pruefen(s.tage() == tage);

    for (const Journal &j : journalFelder)
        for (int i = 0; i < TSchlange::Slots; ++i)
            feld(
                s, j.off + j.breite * std::size_t(i), j.kap, [&] { return (s.*j.get)(i); },
                [&](const QString &t) { (s.*j.set)(i, t); });
    const int fa = s.futterAnzahl();
    const int ba = s.bemerkAnzahl();
    pruefen(fa >= 0 && fa <= TSchlange::Slots && ba >= 0 && ba <= TSchlange::Slots);
    pruefen(fa == TSchlange::Slots || s.futterDatum(fa).isEmpty());
    pruefen(ba == TSchlange::Slots || s.bemerkDatum(ba).isEmpty());
}

// A short input is repeated to whole records (one or two, sometimes with a
// torn tail), so the fuzzer reaches the field code without first having to
// grow an input of 44,432 bytes.
QByteArray eingabe(const std::uint8_t *data, std::size_t size)
{
    if (size == 0 || size >= TSchlange::Groesse)
        return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::size_t ziel = TSchlange::Groesse * (1 + data[0] % 2) + ((data[0] & 4) ? 100 : 0);
    QByteArray b;
    b.reserve(qsizetype(ziel));
    while (std::size_t(b.size()) < ziel)
        b.append(reinterpret_cast<const char *>(data), qsizetype(std::min(size, ziel - std::size_t(b.size()))));
    return b;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *roh, std::size_t rohGroesse)
{
    const QByteArray bytes = eingabe(roh, rohGroesse);
    const auto *data = reinterpret_cast<const std::uint8_t *>(bytes.constData());
    const std::size_t size = std::size_t(bytes.size());
    const QString ein = QFile::decodeName((ordner() + "/ein.vix").c_str());
    const QString aus = QFile::decodeName((ordner() + "/aus.vix").c_str());
    {
        QFile f(ein);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
            f.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size))
            std::abort();
    }

    TSchlangen s;
    Datendatei::Stand geladen;
    const std::size_t ganze = size / TSchlange::Groesse;
    try {
        Datendatei::laden(ein, s, &geladen);
        pruefen(size % TSchlange::Groesse == 0);
        pruefen(geladen.bekannt && Datendatei::unveraendert(ein, geladen));
    } catch (const EInOutError &e) {
        pruefen(e.code() == 100 && size % TSchlange::Groesse != 0);
    }
    pruefen(s.size() == ganze);

    for (TSchlange &r : s)
        allesLesen(r);

    const QString aus2 = QFile::decodeName((ordner() + "/aus2.vix").c_str());
    if (!QFile::exists(aus2)) {
        Datendatei::speichern(aus, TSchlangen());
        if (::link(QFile::encodeName(aus).constData(), QFile::encodeName(aus2).constData()) != 0)
            std::abort();
    }
    const Datendatei::Stand gespeichert = Datendatei::speichern(aus, s);
    const QByteArray zurueck = dateiLesen(aus);
    pruefen(std::size_t(zurueck.size()) == ganze * TSchlange::Groesse);
    pruefen(zurueck.isEmpty() || std::memcmp(zurueck.constData(), data, std::size_t(zurueck.size())) == 0);
    pruefen(dateiLesen(aus2) == zurueck);
    pruefen(!Ersetzen::unterbrochen(aus));
    pruefen(Datendatei::unveraendert(aus, gespeichert));

    // Another writer changes one byte in place: noticed, whatever the times say.
    if (!zurueck.isEmpty()) {
        QFile f(aus);
        const qint64 wo = qint64(data[0]) * qint64(zurueck.size()) / 256;
        if (!f.open(QIODevice::ReadWrite) || !f.seek(wo) || !f.putChar(char(zurueck[wo] ^ 1)))
            std::abort();
        f.close();
        pruefen(!Datendatei::unveraendert(aus, gespeichert));
    }
    return 0;
}
