// The snake record, its Windows-1252 texts and the data file.
#include "Hilfen.h"
#include "data/Cp1252.h"
#include "data/Datendatei.h"
#include "data/Datum.h"
#include "data/Einlesen.h"
#include "data/Fehler.h"
#include "data/TSchlange.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>
#include <sys/stat.h>

namespace {

constexpr qsizetype G = qsizetype(TSchlange::Groesse);

// A record full of random bytes, as another program (or an older one) might
// leave it: garbage behind every string, in the alignment bytes and after the
// journals' ends.
TSchlange zufallsSatz(std::mt19937 &rng)
{
    TSchlange s;
    for (std::size_t i = 0; i < TSchlange::Groesse; ++i)
        s.data()[i] = std::uint8_t(rng());
    return s;
}

// "code message" of the input/output error `f` raises.
QString meldung(const std::function<void()> &f)
{
    QString text;
    const int c = code(f, &text);
    return QString::number(c) + u' ' + text;
}

class DatendateiTest : public OrdnerTest {
protected:
    static void modus(const QString &p, mode_t m) { ASSERT_EQ(::chmod(QFile::encodeName(p).constData(), m), 0); }

    std::mt19937 rng{4711};
};

} // namespace

// ---- Windows-1252 -------------------------------------------------------

TEST(Cp1252Test, JedesByteUeberstehtHinUndZurueck)
{
    QByteArray alle;
    for (int b = 0; b < 256; ++b)
        alle.append(char(b));
    const QString text = Cp1252::decode(alle);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1252::encode(text), alle);

    // The published table for 0x80..0x9F, both ways; the five bytes it leaves
    // undefined (0 here) keep their own number.
    const char16_t tabelle[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // € ‚ ƒ „ … † ‡
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,      // ˆ ‰ Š ‹ Œ Ž
        0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // ‘ ’ “ ” • – —
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178, // ˜ ™ š › œ ž Ÿ
    };
    for (int b = 0x80; b < 0xA0; ++b) {
        const char16_t u = tabelle[b - 0x80] ? tabelle[b - 0x80] : char16_t(b);
        EXPECT_EQ(text[b].unicode(), u) << std::hex << "byte 0x" << b;
        EXPECT_EQ(Cp1252::encode(QString(QChar(u))), QByteArray(1, char(b))) << std::hex << "U+" << int(u);
    }
    // Above 0x9F the code page is Latin-1: ¤ is no euro sign, ÿ is the last.
    for (const int b : {0xA0, 0xA4, 0xA6, 0xBD, 0xC4, 0xD6, 0xDF, 0xE4, 0xFC, 0xFF, 0x7F, 0x00}) {
        EXPECT_EQ(text[b].unicode(), char16_t(b)) << std::hex << "byte 0x" << b;
        EXPECT_EQ(Cp1252::encode(QString(QChar(b))), QByteArray(1, char(b))) << std::hex << "U+" << b;
    }
}

TEST(Cp1252Test, ZeichenAusserhalbWerdenJeEinFragezeichen)
{
    EXPECT_EQ(Cp1252::encode(QStringLiteral("Ж")), QByteArray("?"));
    EXPECT_EQ(Cp1252::encode(QStringLiteral("a🐍b")), QByteArray("a?b"));        // a surrogate pair is one character
    EXPECT_EQ(Cp1252::encode(QString(QChar(0xD800)) + u'x'), QByteArray("?x")); // lone surrogate
    // U+0080 is a C1 control, not the euro sign that byte 0x80 stands for.
    EXPECT_EQ(Cp1252::encode(QString(QChar(0x80))), QByteArray("?"));
    EXPECT_EQ(Cp1252::encode(QStringLiteral("Grüße €")), QByteArray("Gr\xFC\xDF"
                                                                    "e \x80"));
}

// ---- The record -----------------------------------------------------------

namespace {
// Every text field of the record as the file format lays it out, written down
// here from the format and not taken from the record's own constants.
struct Feld {
    std::string name;
    std::size_t offset;
    int kapazitaet;
    std::function<QString(const TSchlange &)> lies;
    std::function<void(TSchlange &, const QString &)> setze;
};

std::vector<Feld> felder()
{
    std::vector<Feld> f = {
        {"name", 0, 30, &TSchlange::name, &TSchlange::setName},
        {"gattung", 31, 50, &TSchlange::gattung, &TSchlange::setGattung},
        {"farbe", 82, 50, &TSchlange::farbe, &TSchlange::setFarbe},
        {"geschlecht", 133, 10, &TSchlange::geschlecht, &TSchlange::setGeschlecht},
        {"schlupf", 144, 10, &TSchlange::schlupf, &TSchlange::setSchlupf},
        {"bild", 155, 50, &TSchlange::bild, &TSchlange::setBild},
    };
    using Lies = QString (TSchlange::*)(int) const;
    using Setze = void (TSchlange::*)(int, const QString &);
    const auto journal = [&](const char *name, std::size_t basis, std::size_t feld, int kap, Lies l, Setze z) {
        for (int slot : {0, 1, 100, 199, 200})
            f.push_back({name + std::to_string(slot), basis + feld * std::size_t(slot), kap,
                         [=](const TSchlange &s) { return (s.*l)(slot); },
                         [=](TSchlange &s, const QString &t) { (s.*z)(slot, t); }});
    };
    journal("futterDatum", 212, 9, 8, &TSchlange::futterDatum, &TSchlange::setFutterDatum);
    journal("bemerkDatum", 2021, 9, 8, &TSchlange::bemerkDatum, &TSchlange::setBemerkDatum);
    journal("futter", 3830, 101, 100, &TSchlange::futter, &TSchlange::setFutter);
    journal("bemerkung", 24131, 101, 100, &TSchlange::bemerkung, &TSchlange::setBemerkung);
    return f;
}

// `n` characters that differ from field to field: a field read from its
// neighbour's place, or one byte off, reads other characters.
QByteArray muster(std::size_t feld, int n)
{
    QByteArray b;
    b.append(char(0xC0 + feld % 32)); // a code-page letter: À, Á, ...
    for (int i = 1; i < n; ++i)
        b.append(char('!' + (feld * 7 + std::size_t(i)) % 90));
    return b;
}
} // namespace

TEST(TSchlangeTest, JedesFeldHatSeinenPlatzUndSeineLaenge)
{
    const std::vector<Feld> tabelle = felder();
    std::mt19937 rng(99);
    // Read: a length byte of exactly the capacity, one more, or a hostile 255 gives the capacity.
    for (int mehr : {0, 1, 255}) {
        QByteArray b(G, '\0');
        for (char &c : b)
            c = char(rng());
        for (std::size_t k = 0; k < tabelle.size(); ++k) {
            b[qsizetype(tabelle[k].offset)] = char(std::min(tabelle[k].kapazitaet + mehr, 255));
            b.replace(qsizetype(tabelle[k].offset) + 1, tabelle[k].kapazitaet, muster(k, tabelle[k].kapazitaet));
        }
        b.replace(208, 4, QByteArray("\x78\x56\x34\x92", 4));
        TSchlange s;
        std::memcpy(s.data(), b.constData(), TSchlange::Groesse);
        for (std::size_t k = 0; k < tabelle.size(); ++k)
            EXPECT_EQ(tabelle[k].lies(s), Cp1252::decode(muster(k, tabelle[k].kapazitaet)))
                << tabelle[k].name << ", length byte capacity + " << mehr;
        EXPECT_EQ(s.tage(), std::int32_t(0x92345678u));
        // A journal ends at the first date whose length byte is 0.
        s.data()[212 + 9 * 2] = 0;
        EXPECT_EQ(s.futterAnzahl(), 2);
        for (int i = 0; i < 201; ++i)
            s.data()[2021 + 9 * i] = i == 137 ? 0 : 1;
        EXPECT_EQ(s.bemerkAnzahl(), 137);
    }

    // Write: a text one or many longer than the capacity keeps the capacity; a
    // short text writes its length and characters and nothing behind them.
    for (const auto &[grund, laenge] : std::vector<std::pair<char, int>>{{'\0', 1}, {'\0', 70}, {char(0xEE), -3}}) {
        QByteArray erwartet(G, grund);
        TSchlange s;
        std::memset(s.data(), grund, TSchlange::Groesse);
        for (std::size_t k = 0; k < tabelle.size(); ++k) {
            const int n = laenge < 0 ? -laenge : tabelle[k].kapazitaet + laenge;
            const int gespeichert = std::min(n, tabelle[k].kapazitaet);
            tabelle[k].setze(s, Cp1252::decode(muster(k, n)));
            erwartet[qsizetype(tabelle[k].offset)] = char(gespeichert);
            erwartet.replace(qsizetype(tabelle[k].offset) + 1, gespeichert, muster(k, gespeichert));
        }
        s.setTage(-123456789);
        erwartet.replace(208, 4, QByteArray("\xEB\x32\xA4\xF8", 4));
        const QByteArray ist = bytesVon(TSchlangen{s});
        for (qsizetype i = 0; i < G; ++i)
            ASSERT_EQ(std::uint8_t(ist[i]), std::uint8_t(erwartet[i])) << "byte " << i;
    }

    // Each unrepresentable character is one byte, the snake included; an
    // empty text clears the field.
    TSchlange s;
    s.setGeschlecht(QStringLiteral("🐍🐍🐍ЖЖЖЖЖЖЖЖЖ"));
    EXPECT_EQ(s.geschlecht(), QStringLiteral("??????????"));
    s.setGeschlecht(QString());
    EXPECT_EQ(s.geschlecht(), QString());
}

TEST(TSchlangeTest, PlaetzeAusserhalbDesJournalsWerfen)
{
    TSchlange s;
    for (int slot : {-1, 201, 100000}) {
        EXPECT_THROW(s.futterDatum(slot), std::out_of_range);
        EXPECT_THROW(s.setFutterDatum(slot, QStringLiteral("x")), std::out_of_range);
        EXPECT_THROW(s.futter(slot), std::out_of_range);
        EXPECT_THROW(s.setFutter(slot, QStringLiteral("x")), std::out_of_range);
        EXPECT_THROW(s.bemerkDatum(slot), std::out_of_range);
        EXPECT_THROW(s.setBemerkDatum(slot, QStringLiteral("x")), std::out_of_range);
        EXPECT_THROW(s.bemerkung(slot), std::out_of_range);
        EXPECT_THROW(s.setBemerkung(slot, QStringLiteral("x")), std::out_of_range);
    }
    EXPECT_EQ(s, TSchlange());
}

TEST(TSchlangeTest, JournaleEndenAmErstenLeerenDatum)
{
    TSchlange s;
    EXPECT_EQ(s.futterAnzahl(), 0);
    EXPECT_EQ(s.bemerkAnzahl(), 0);

    s.setFutterDatum(0, QStringLiteral("01.01.25"));
    EXPECT_EQ(s.futterAnzahl(), 1);
    EXPECT_EQ(s.bemerkAnzahl(), 0); // the journals are apart

    for (int i = 0; i < TSchlange::MaxEintraege; ++i)
        s.setFutterDatum(i, QStringLiteral("01.01.25"));
    EXPECT_EQ(s.futterAnzahl(), 200);
    EXPECT_TRUE(s.futterDatum(200).isEmpty());
    s.setFutterDatum(200, QStringLiteral("x")); // only a hand-made record fills the last slot
    EXPECT_EQ(s.futterAnzahl(), 201);

    // Leftovers after an empty slot 0 are no entries; the text of the end slot
    // is not looked at either.
    for (int i = 1; i < 10; ++i)
        s.setBemerkDatum(i, QStringLiteral("02.02.22"));
    s.setBemerkung(0, QStringLiteral("Häutung"));
    EXPECT_EQ(s.bemerkAnzahl(), 0);
    s.setBemerkDatum(0, QStringLiteral("03.03.23"));
    s.setBemerkDatum(4, QString());
    EXPECT_EQ(s.bemerkAnzahl(), 4);
}

// ---- The data file -----------------------------------------------------------

TEST_F(DatendateiTest, ZufallssaetzeBleibenBytegenau)
{
    // 130 records: more than one read chunk, so the chunk seams are covered too.
    TSchlangen original;
    for (int i = 0; i < 130; ++i)
        original.push_back(zufallsSatz(rng));
    const QByteArray bild = bytesVon(original);
    dateiSchreiben(pfad("a.vix"), bild);

    TSchlangen geladen;
    Datendatei::laden(pfad("a.vix"), geladen);
    ASSERT_EQ(geladen.size(), 130u);
    EXPECT_TRUE(geladen == original);

    // Reading every field changes nothing; a store touches only its own bytes.
    for (const TSchlange &s : geladen) {
        (void)s.name(), (void)s.bild(), (void)s.tage(), (void)s.futterAnzahl();
        for (int i = 0; i < TSchlange::Slots; ++i)
            (void)s.futter(i), (void)s.bemerkung(i);
    }
    Datendatei::speichern(pfad("b.vix"), geladen);
    EXPECT_EQ(dateiLesen(pfad("b.vix")), bild);

    geladen[1].setName(QStringLiteral("Ab"));
    Datendatei::speichern(pfad("b.vix"), geladen);
    const QByteArray neu = dateiLesen(pfad("b.vix"));
    ASSERT_EQ(neu.size(), bild.size());
    for (qsizetype i = 0; i < bild.size(); ++i)
        if (i < G || i > G + 2) {
            ASSERT_EQ(neu[i], bild[i]) << "byte " << i;
        }
}

TEST_F(DatendateiTest, DateigroessenGebenGanzeSaetzeDannDateiende)
{
    TSchlangen drei;
    for (int i = 0; i < 3; ++i) {
        drei.push_back(zufallsSatz(rng));
        drei.back().setName(QStringLiteral("Schlange %1").arg(i));
    }
    const QByteArray bild = bytesVon(drei);

    dateiSchreiben(pfad("leer.vix"), QByteArray());
    TSchlangen s;
    Datendatei::laden(pfad("leer.vix"), s);
    EXPECT_TRUE(s.empty());

    dateiSchreiben(pfad("drei.vix"), bild);
    Datendatei::laden(pfad("drei.vix"), s);
    ASSERT_EQ(s.size(), 3u);
    EXPECT_EQ(s[2].name(), QStringLiteral("Schlange 2"));
    EXPECT_TRUE(s == drei);

    dateiSchreiben(pfad("rest.vix"), bild + QByteArray(100, 'r'));
    TSchlangen t{TSchlange()}; // loading appends to what is there
    EXPECT_EQ(meldung([&] { Datendatei::laden(pfad("rest.vix"), t); }),
              QStringLiteral("100 Versuch hinter dem Dateiende zu lesen"));
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0], TSchlange());
    EXPECT_EQ(t[3], drei[2]);
}

TEST_F(DatendateiTest, GeladeneSaetzeBeginnenAufEinerSeite)
{
    // The kernel copies a file into memory that begins on a page several times
    // faster; a collection of 2 MiB or more begins on a huge page, so that it is
    // filled in huge pages from its first byte. Growing keeps both.
    const auto rest = [](const TSchlangen &s, std::uintptr_t seite) {
        return reinterpret_cast<std::uintptr_t>(s.data()) % seite;
    };
    for (const int n : {1, 3, 48}) {
        SCOPED_TRACE(n);
        const std::uintptr_t seite = std::uintptr_t(n) * TSchlange::Groesse >= (2u << 20) ? 2u << 20 : 4096;
        dateiSchreiben(pfad("s.vix"), bytesVon(TSchlangen(std::size_t(n))));
        TSchlangen s;
        Datendatei::laden(pfad("s.vix"), s);
        ASSERT_EQ(s.size(), std::size_t(n));
        EXPECT_EQ(rest(s, seite), 0u);
        s.emplace_back();
        EXPECT_EQ(rest(s, 4096), 0u);
    }
}

TEST_F(DatendateiTest, OeffnenScheitertMitSeinemCode)
{
    TSchlangen s;
    EXPECT_EQ(meldung([&] { Datendatei::laden(pfad("fehlt.vix"), s); }), QStringLiteral("2 Datei nicht gefunden"));
    EXPECT_EQ(code([&] { Datendatei::speichern(dir.path(), s); }), EInOutError::UngueltigerName);
    EXPECT_EQ(code([&] { Datendatei::speichern(pfad("nicht/da.vix"), s); }), EInOutError::NichtGefunden);

    // What is no regular file is refused at once, by the loader and the bounded
    // reader alike: a named pipe without waiting for a writer, an endless device
    // without reading on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(pfad("rohr.vix")).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(pfad("ordner.vix")));
    ASSERT_TRUE(QFile::link(pfad("ordner.vix"), pfad("link.vix")));
    const std::pair<QString, int> faelle[] = {
        {pfad("fehlt.vix"), EInOutError::NichtGefunden},
        {QString(), EInOutError::NichtGefunden},
        {dir.path(), EInOutError::UngueltigerName},
        {pfad("rohr.vix"), EInOutError::UngueltigerName},
        {pfad("ordner.vix"), EInOutError::UngueltigerName},
        {pfad("link.vix"), EInOutError::UngueltigerName},
        {QStringLiteral("/dev/zero"), EInOutError::UngueltigerName},
        {QStringLiteral("/dev/null"), EInOutError::UngueltigerName},
    };
    for (const auto &[p, c] : faelle) {
        SCOPED_TRACE(p.toStdString());
        EXPECT_EQ(code([&] { Datendatei::laden(p, s); }), c);
        EXPECT_TRUE(s.empty());
        const Einlesen::Inhalt i = Einlesen::lesen(p, 100);
        EXPECT_NE(i.fehler, 0);
        EXPECT_TRUE(i.bytes.isEmpty());
    }
}

TEST_F(DatendateiTest, LangerDateinameWirdGespeichert)
{
    // The temporary file beside the target must fit the file system's name limit too.
    const QString lang = pfad(QString(240, u'x') + QStringLiteral(".vix"));
    TSchlangen s(2);
    s[1].setName(QStringLiteral("Kaa"));
    Datendatei::speichern(lang, s);
    TSchlangen zurueck;
    Datendatei::laden(lang, zurueck);
    ASSERT_EQ(zurueck.size(), 2u);
    EXPECT_EQ(zurueck[1].name(), QStringLiteral("Kaa"));
}

TEST_F(DatendateiTest, ZugriffsrechteAlsGewoehnlicherBenutzer)
{
    TSchlangen eins{zufallsSatz(rng)};
    const QByteArray bild = bytesVon(eins);
    dateiSchreiben(pfad("nurlesen.vix"), bild);
    modus(pfad("nurlesen.vix"), 0444);
    dateiSchreiben(pfad("gesperrt.vix"), bild);
    modus(pfad("gesperrt.vix"), 0000);

    // A read-only file loads.
    EXPECT_EQ(alsNobody([&] {
                  TSchlangen s;
                  Datendatei::laden(pfad("nurlesen.vix"), s);
                  return s.size() == 1 && s[0] == eins[0] ? 0 : 1;
              }),
              0);
    const auto ladenCode = [&](const QString &p) {
        return alsNobody([&] {
            TSchlangen s;
            return code([&] { Datendatei::laden(p, s); });
        });
    };
    EXPECT_EQ(ladenCode(pfad("gesperrt.vix")), EInOutError::ZugriffVerweigert);

    // A file we may not write is not replaced, though the folder would allow it.
    TSchlangen zwei{TSchlange(), TSchlange()};
    const auto speichernCode = [&](const QString &p) {
        return alsNobody([&] { return code([&] { Datendatei::speichern(p, zwei); }); });
    };
    EXPECT_EQ(speichernCode(pfad("nurlesen.vix")), EInOutError::ZugriffVerweigert);
    EXPECT_EQ(dateiLesen(pfad("nurlesen.vix")), bild);
}

TEST_F(DatendateiTest, SpeichernErsetztDieGanzeDateiUndBehaeltRechteUndVerknuepfung)
{
    TSchlangen fuenf;
    for (int i = 0; i < 5; ++i)
        fuenf.push_back(zufallsSatz(rng));
    Datendatei::speichern(pfad("s.vix"), fuenf);
    EXPECT_EQ(QFileInfo(pfad("s.vix")).size(), 5 * G);

    modus(pfad("s.vix"), 0640);
    ASSERT_TRUE(QFile::link(pfad("s.vix"), pfad("link.vix")));
    const TSchlangen zwei(fuenf.begin() + 3, fuenf.end());
    Datendatei::speichern(pfad("link.vix"), zwei);
    EXPECT_TRUE(QFileInfo(pfad("link.vix")).isSymLink());
    EXPECT_EQ(dateiLesen(pfad("s.vix")), bytesVon(zwei));
    struct stat st;
    ASSERT_EQ(::stat(QFile::encodeName(pfad("s.vix")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    Datendatei::speichern(pfad("s.vix"), TSchlangen());
    EXPECT_EQ(QFileInfo(pfad("s.vix")).size(), 0);
    EXPECT_EQ(eintraege().size(), 2);
}

// ---- Error codes and their messages -----------------------------------------

TEST(EInOutErrorTest, SystemfehlerWirdCodeWirdMeldung)
{
    struct Zeile {
        int systemFehler; // -1: a code of our own, not from the system
        int code;
        const char *text;
    };
    const Zeile tabelle[] = {
        {ENOENT, 2, "Datei nicht gefunden"},
        {ENOTDIR, 2, "Datei nicht gefunden"},
        {ENAMETOOLONG, 3, "Ungültiger Dateiname"},
        {EINVAL, 3, "Ungültiger Dateiname"},
        {EISDIR, 3, "Ungültiger Dateiname"},
        {ELOOP, 3, "Ungültiger Dateiname"},
        {EMFILE, 4, "Zu viele geöffnete Dateien"},
        {ENFILE, 4, "Zu viele geöffnete Dateien"},
        {EACCES, 5, "Dateizugriff verweigert"},
        {EPERM, 5, "Dateizugriff verweigert"},
        {EROFS, 5, "Dateizugriff verweigert"},
        {ETXTBSY, 5, "Dateizugriff verweigert"},
        {ENOSPC, 101, "Zu wenig Speicherplatz"},
        {EFBIG, 101, "Zu wenig Speicherplatz"},
        {EDQUOT, 101, "Zu wenig Speicherplatz"},
        {EIO, 31, "E/A-Fehler 31"},   // a device failure (the system's 5) must not read as "access denied"
        {EXDEV, 18, "E/A-Fehler 18"}, // any other number passes through
        {EBUSY, 16, "E/A-Fehler 16"},
        {ESPIPE, 29, "E/A-Fehler 29"},
        {-1, 100, "Versuch hinter dem Dateiende zu lesen"},
        {-1, 106, "Ungültige numerische Eingabe"},
        {-1, 0, "E/A-Fehler 0"},
        {-1, 1000, "E/A-Fehler 1000"},
    };
    for (const Zeile &z : tabelle) {
        const QString text = QString::fromUtf8(z.text);
        if (z.systemFehler >= 0) {
            EXPECT_EQ(EInOutError::codeFromErrno(z.systemFehler), z.code) << "errno " << z.systemFehler;
        }
        EXPECT_EQ(EInOutError::messageFor(z.code), text) << z.code;
        try {
            throw EInOutError(z.code);
        } catch (const EVivarix &e) { // the base the error guard catches
            EXPECT_EQ(e.message(), text);
            EXPECT_EQ(dynamic_cast<const EInOutError &>(e).code(), z.code);
        }
    }
}

// ---- Whole numbers -------------------------------------------------------------

TEST(StrToIntTest, NurDezimalzahlen)
{
    EXPECT_EQ(StrToInt(QStringLiteral("12")), 12);
    EXPECT_EQ(StrToInt(QStringLiteral(" 7")), 7);
    EXPECT_EQ(StrToInt(QStringLiteral("-2147483648")), -2147483647 - 1);
    for (const char *falsch : {"-", "", "abc", "7a", "2147483648", "99999999999999999999"})
        EXPECT_THROW(StrToInt(QString::fromLatin1(falsch)), EConvertError) << falsch;
    try {
        StrToInt(QStringLiteral("abc"));
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'abc' ist kein gültiger Integerwert"));
    }
}

// ---- Typed dates ----------------------------------------------------------------

TEST(DatumEingabeTest, WasEinHalterTipptUndWasAbgewiesenWird)
{
    const QDate heute(2026, 12, 7); // the window of two-digit years: 1976 to 2075
    const QDate september(2026, 9, 1);
    const struct {
        const char *text;
        QDate datum;
        const char *fehler;
    } faelle[] = {
        {"1.9.26", september, ""},
        {"01.09.26", september, ""},
        {"01.09.2026", september, ""},
        {"010926", september, ""},
        {"01092026", september, ""},
        {" 07.12.26 ", heute, ""},
        {"07122026", heute, ""},
        {"29.02.24", QDate(2024, 2, 29), ""},
        {"31.12.76", QDate(1976, 12, 31), ""},
        {"01.01.1976", QDate(1976, 1, 1), ""},
        {"31.12.1975", {}, "zu weit zurück"},
        {"31.12.75", {}, "nach heute"}, // 2075
        {"08.12.26", {}, "nach heute"},
        {"08122026", {}, "nach heute"},
        {"31.04.26", {}, "ungültig"},
        {"29.02.25", {}, "ungültig"},
        {"01.13.26", {}, "ungültig"},
        {"011326", {}, "ungültig"},
        {"00.09.26", {}, "ungültig"},
        {"", {}, "unvollständig"},
        {"01.09.", september, ""}, // no year: the latest such day not after today
        {" 1 . 9 .", september, ""},
        {"8.12.", QDate(2025, 12, 8), ""},
        {"7.12.", heute, ""},
        {"29.2.", QDate(2024, 2, 29), ""},
        {"31.4.", {}, "ungültig"},
        {"6.12.026", {}, "unvollständig"},
        {"1 .9. 26", september, ""},
        {"0109", {}, "unvollständig"},
        {"1.9.2", {}, "unvollständig"},
        {"1.9.202", {}, "unvollständig"},
        {"0109202", {}, "unvollständig"},
        {"1/9/26", {}, "kein Datum"},
        {"1.9.26.", {}, "kein Datum"},
        {"+1.9.26", {}, "kein Datum"},
        {"010926x", {}, "kein Datum"},
        {"010920261", {}, "kein Datum"},
        {"1. 9.26", september, ""},
        {"1.9 .2 6", {}, "kein Datum"},
        {"\u0660\u0661\u0660\u0669\u0662\u0666", {}, "kein Datum"}, // other digits than 0 to 9
    };
    for (const auto &f : faelle) {
        const DatumEingabe e = DatumEingabeLesen(QString::fromUtf8(f.text), heute);
        EXPECT_EQ(e.datum, f.datum) << f.text;
        EXPECT_EQ(e.fehler, QString::fromUtf8(f.fehler)) << f.text;
        // What the dialog gives back, the journals read as the same day.
        if (e.datum.isValid()) {
            EXPECT_EQ(DatumLesen(DatumText(e.datum), heute), e.datum) << f.text;
        }
    }
}
