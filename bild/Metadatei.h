#pragma once
// Windows metafiles ("wmf") and enhanced metafiles ("emf").
//
// Their libraries parse a file's records by hand in C, so they never run in
// this program: the helper program vivarix-bild, beside this one, draws the
// visible corner within bounded memory, CPU time, wall time and output and
// without the right to write files (bild/Helfer.h). The helper is started with
// posix_spawn, so nothing of this threaded program runs in the child.
//
// A conversion can take seconds, so a window never waits long for one: it
// shows the default picture meanwhile and asks again when `fertig` comes.
// Each file is converted once per content; the result, a damaged picture
// too, is kept, so a slow picture stalls nothing twice. (A key of device,
// inode and times would be cheaper but is blind to a rewrite within the file
// system's timestamp granularity; reading a metafile again costs little.)
#include "bild/Metaformat.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QSize>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

class QSocketNotifier;

namespace Metadatei {

// The helper program: vivarix-bild beside the running program, unless set.
QString helfer();
void helferSetzen(const QString &pfad);

// A metafile's content: a checksum of its bytes followed by their length,
// so that it keys the conversions as it is.
using Kennung = QByteArray;
Kennung kennung(const QByteArray &daten);

class Lauf;

class Wandlungen : public QObject {
    Q_OBJECT
public:
    static Wandlungen &alle();

    enum class Stand { Unbekannt, Laeuft, Fertig };
    // What is known of the file `k`. A running conversion is waited for up to
    // `wartenMs` milliseconds (a negative number: until it ends); once it is
    // finished, `bild` receives the picture, or nothing for a damaged one.
    Stand abfragen(const Kennung &k, int wartenMs, std::optional<Gezeichnet> &bild);
    // Starts converting the bytes of the file `k`, unless that is known already.
    void starten(const Kennung &k, Art art, const QByteArray &daten, QSize sichtbar);
    // Ends every conversion and forgets every result (whoever waits for one
    // is not told).
    void vergessen();

    // At most this many helpers run at once; later requests wait, the newest
    // first, and only the newest few wait at all.
    static constexpr int HoechstensLaufend = 2;
    static constexpr int HoechstensWartend = 8;
    // Kept results (each at most the visible corner).
    static constexpr int HoechstensBehalten = 64;

signals:
    // A conversion ended: whoever waits for one asks again.
    void fertig();

private:
    Wandlungen();
    ~Wandlungen() override;
    struct Auftrag {
        Kennung kennung;
        Art art;
        QByteArray daten;
        QSize sichtbar;
    };
    void losgehen(Auftrag auftrag);
    void ablegen(const Kennung &k, std::optional<Gezeichnet> bild);
    void nachsehen(const Kennung &k);
    void abschliessen(const Kennung &k);
    struct Laufend {
        std::shared_ptr<Lauf> lauf;
        QSocketNotifier *melder = nullptr; // tells when the helper wrote or ended
    };
    QHash<Kennung, Laufend> laufend_;
    std::vector<Auftrag> wartend_;
    QHash<Kennung, std::optional<Gezeichnet>> fertig_;
    std::vector<Kennung> reihenfolge_; // of fertig_, oldest first
};

// One conversion, waited for to its end and not kept: for callers that have
// no window to keep answering (fuzzing, tests). `art` is the helper's name
// for the kind.
std::optional<Gezeichnet> zeichnen(const QByteArray &art, const QByteArray &daten, QSize sichtbar);

} // namespace Metadatei
