#include "settings/Optionen.h"

#include "data/Cp1252.h"
#include "data/Einlesen.h"
#include "data/Einzeilig.h"
#include "data/Ersetzen.h"
#include "data/Fehler.h"

#include <cerrno>
#include <variant>

namespace {

// Until the start-up sets it, the settings live in the current directory.
QString einstellungsVerzeichnis = QStringLiteral(".");

// The program writes a few hundred bytes; a settings file beyond this is not
// ours, and reading stops there rather than filling memory.
constexpr qsizetype HoechsteLaenge = 1 << 20;

using Zeile::DateiEnde;

// Cuts text into lines at CR, LF or CR LF; a final line end opens no empty line.
QStringList zeilen(const QString &text)
{
    QStringList out;
    qsizetype anfang = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c != u'\r' && c != u'\n')
            continue;
        out << text.mid(anfang, i - anfang);
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
            ++i;
        anfang = i + 1;
    }
    if (anfang < n)
        out << text.mid(anfang);
    return out;
}

// A value must stay on its line: a line end would start a line of its own
// (another setting, read back), a Ctrl-Z would end the file early.
constexpr char16_t AuchDateiEnde[] = {DateiEnde, 0};

// Of a file read only in part, the lines that were read completely; a line
// cut off in the middle would give a wrong value.
QByteArray ganzeZeilen(const QByteArray &bytes)
{
    if (bytes.contains('\x1A'))
        return bytes; // the file ended before the cut
    qsizetype ende = bytes.size();
    while (ende > 0 && bytes[ende - 1] != '\r' && bytes[ende - 1] != '\n')
        --ende;
    return bytes.left(ende);
}

// Every setting with its name in the file and its place in Optionen::Werte,
// in the order the file has them. Reading and writing walk this one table.
using Ziel = std::variant<bool Optionen::Werte::*, QString Optionen::Werte::*, QStringList Optionen::Werte::*>;
struct Einstellung {
    const char *name;
    Ziel ziel;
};
const Einstellung Einstellungen[] = {
    {"autoload", &Optionen::Werte::autoload}, {"file", &Optionen::Werte::datei},
    {"remember", &Optionen::Werte::remember}, {"maximize", &Optionen::Werte::maximize},
    {"futter", &Optionen::Werte::futter},
};

// A value as the file keeps it, and back.
QString alsText(bool an)
{
    return an ? QStringLiteral("1") : QStringLiteral("0");
}
QString alsText(const QString &text)
{
    return text;
}
QString alsText(const QStringList &liste)
{
    return liste.join(Optionen::FutterTrenner);
}
void ausText(const QString &text, bool &an)
{
    an = text == u"1";
}
void ausText(const QString &text, QString &wert)
{
    wert = text;
}
void ausText(const QString &text, QStringList &liste)
{
    liste = Optionen::futterListe(text);
}

const Optionen::Eintrag *letzter(const Optionen::Tabelle &tabelle, const QString &name)
{
    for (auto it = tabelle.rbegin(); it != tabelle.rend(); ++it)
        if (it->name == name)
            return &*it;
    return nullptr;
}

} // namespace

namespace Optionen {

void setVerzeichnis(const QString &dir)
{
    einstellungsVerzeichnis = dir;
}

QString pfad()
{
    return pfad(einstellungsVerzeichnis);
}

QString pfad(const QString &ordner)
{
    return ordner + QStringLiteral("/options.ini");
}

QString nichtGefunden()
{
    return QStringLiteral("Optionsdatei \"options.ini\" nicht gefunden");
}

Tabelle lesen(const QByteArray &inhalt)
{
    QString text = Cp1252::decode(inhalt);
    const qsizetype ende = text.indexOf(QChar(DateiEnde));
    if (ende >= 0)
        text.truncate(ende);
    Tabelle tabelle;
    for (const QString &zeile : zeilen(text)) {
        const qsizetype gleich = zeile.indexOf(u'=');
        if (gleich >= 0)
            tabelle.push_back({zeile.left(gleich), zeile.mid(gleich + 1)});
    }
    return tabelle;
}

QString wert(const Tabelle &tabelle, const QString &name)
{
    const Eintrag *e = letzter(tabelle, name);
    return e ? e->wert : QString();
}

std::optional<QString> Werte::startDatei() const
{
    if (!autoload || datei == u"0")
        return std::nullopt;
    return datei;
}

Werte werte(const Tabelle &tabelle)
{
    Werte w;
    for (const Einstellung &e : Einstellungen)
        if (const Eintrag *gelesen = letzter(tabelle, QLatin1String(e.name)))
            std::visit([&](auto feld) { ausText(gelesen->wert, w.*feld); }, e.ziel);
    return w;
}

bool laden(Werte &w)
{
    return laden(w, pfad());
}

Gelesen einlesen(Werte &w, const QString &datei)
{
    // Only a regular file is read: a folder or a pipe of that name counts as a
    // file that is not there, and a pipe must not block the program.
    const Einlesen::Inhalt inhalt = Einlesen::lesen(datei, HoechsteLaenge);
    // What follows a Ctrl-Z is no part of the settings: cut there, the file was read whole.
    const bool gekappt = inhalt.gekappt && !inhalt.bytes.contains('\x1A');
    w = werte(lesen(inhalt.fehler == 0 && !gekappt ? inhalt.bytes : ganzeZeilen(inhalt.bytes)));
    Gelesen g;
    switch (inhalt.fehler) {
    case 0:
        if (gekappt)
            g = {false, true,
                 QStringLiteral("Die Optionsdatei \"options.ini\" ist größer als %1 KB und wurde nicht ganz gelesen")
                     .arg(HoechsteLaenge / 1024)};
        break;
    case ENOENT:
    case ENOTDIR:
    case EISDIR:
    case EINVAL:
        g = {false, false, nichtGefunden()};
        break;
    default:
        g = {false, true,
             QStringLiteral("Die Optionsdatei \"options.ini\" kann nicht gelesen werden: %1")
                 .arg(EInOutError::messageFor(EInOutError::codeFromErrno(inhalt.fehler)))};
    }
    if (g.gesperrt)
        g.meldung += QStringLiteral(".\nVivarix überschreibt sie nicht, solange sie nicht ganz gelesen werden kann.");
    return g;
}

bool laden(Werte &w, const QString &datei)
{
    return einlesen(w, datei).ganz;
}

QByteArray schreiben(const Werte &w)
{
    QString text = QStringLiteral("[Options]\r\n");
    for (const Einstellung &e : Einstellungen) {
        const QString inhalt = std::visit([&](auto feld) { return alsText(w.*feld); }, e.ziel);
        text += QLatin1String(e.name) + u'=' + Zeile::einzeilig(inhalt, QStringView(AuchDateiEnde)) +
                QStringLiteral("\r\n");
    }
    return Cp1252::encode(text);
}

void speichern(const Werte &w)
{
    // Written like the data file: the new content takes the old file's place
    // only when complete, so a failed write never leaves half a settings file.
    const QByteArray inhalt = schreiben(w);
    // A file longer than the reader takes would lose its food list at the next
    // start (the cut line is dropped) and then on the next save: refused instead,
    // while the keeper still sees the list.
    if (inhalt.size() > HoechsteLaenge)
        throw EVivarix(QStringLiteral("Die Futterliste ist zu lang: Die Optionsdatei darf höchstens %1 KB groß "
                                      "werden, sie wäre %2 KB groß")
                           .arg(HoechsteLaenge / 1024)
                           .arg((inhalt.size() + 1023) / 1024));
    Ersetzen::datei(pfad(), inhalt.constData(), std::size_t(inhalt.size()));
}

QStringList futterListe(const QString &wert)
{
    QString text = wert;
    text.replace(FutterTrenner, u'\n');
    return zeilen(text);
}

QStringList nichtSpeicherbar(const QString &wert)
{
    QStringList fremd = Cp1252::nichtDarstellbar(wert);
    for (const QChar c : wert)
        if (Zeile::bricht(c, QStringView(AuchDateiEnde)) && !fremd.contains(c))
            fremd << QString(c);
    return fremd;
}

} // namespace Optionen
