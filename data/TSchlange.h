#pragma once
// The snake record: exactly the 44,432 bytes of one record of the data file.
// Loading is reading bytes, saving is writing them; accessors read and write
// the fields in place, so bytes the program does not own (behind a string's
// length, the two alignment bytes, slots past a journal's end) survive.
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

// The two journals of a record: the feedings and the remarks.
enum class Journalart { Futter, Bemerkung };

class TSchlange {
public:
    static constexpr std::size_t Groesse = 44432;
    static constexpr int Slots = 201;        // slots per journal
    static constexpr int MaxEintraege = 200; // the last slot holds the end mark

    // Capacities of the text fields, in characters.
    static constexpr int NameKap = 30;
    static constexpr int GattungKap = 50;
    static constexpr int FarbeKap = 50;
    static constexpr int GeschlechtKap = 10;
    static constexpr int SchlupfKap = 10;
    static constexpr int BildKap = 50;
    static constexpr int DatumKap = 8;
    static constexpr int TextKap = 100;

    TSchlange() : bytes{} {} // a record the program creates starts all zero
    // A record whose bytes are about to be read from the file: left unset, so
    // that loading fills memory once instead of zeroing it first.
    struct Ungefuellt {};
    explicit TSchlange(Ungefuellt) {}

    QString name() const;
    void setName(const QString &s);
    QString gattung() const;
    void setGattung(const QString &s);
    QString farbe() const;
    void setFarbe(const QString &s);
    QString geschlecht() const;
    void setGeschlecht(const QString &s);
    QString schlupf() const;
    void setSchlupf(const QString &s);
    QString bild() const;
    void setBild(const QString &s);
    std::int32_t tage() const;
    void setTage(std::int32_t t);

    // Journal slots, 0 to 200. Out-of-range slots throw std::out_of_range.
    QString futterDatum(int slot) const;
    void setFutterDatum(int slot, const QString &s);
    QString futter(int slot) const;
    void setFutter(int slot, const QString &s);
    QString bemerkDatum(int slot) const;
    void setBemerkDatum(int slot, const QString &s);
    QString bemerkung(int slot) const;
    void setBemerkung(int slot, const QString &s);

    // Number of entries: slots from 0 up to the first empty date (at most 201
    // for a hand-made record; at most 200 for any record the program writes).
    int futterAnzahl() const;
    int bemerkAnzahl() const;

    // One journal of the record, so one piece of code walks either: its
    // entries are slots 0 .. anzahl()-1.
    class Journal {
    public:
        int anzahl() const;
        QString datum(int slot) const;
        QString text(int slot) const;

    private:
        friend class TSchlange;
        Journal(const TSchlange &s, std::size_t datum, std::size_t text) : satz(&s), datumOff(datum), textOff(text) {}
        const TSchlange *satz;
        std::size_t datumOff, textOff;
    };
    Journal journal(Journalart art) const;
    // Writes slot `slot` of a journal: its date and its text.
    void setEintrag(Journalart art, int slot, const QString &datum, const QString &text);

    std::uint8_t *data() { return bytes.data(); }
    const std::uint8_t *data() const { return bytes.data(); }
    bool operator==(const TSchlange &o) const { return bytes == o.bytes; }

    // Field offsets in the record.
    static constexpr std::size_t OffName = 0;
    static constexpr std::size_t OffGattung = 31;
    static constexpr std::size_t OffFarbe = 82;
    static constexpr std::size_t OffGeschlecht = 133;
    static constexpr std::size_t OffSchlupf = 144;
    static constexpr std::size_t OffBild = 155;
    static constexpr std::size_t OffTage = 208;
    static constexpr std::size_t OffFutterDatum = 212;
    static constexpr std::size_t OffBemerkDatum = 2021;
    static constexpr std::size_t OffFutter = 3830;
    static constexpr std::size_t OffBemerkung = 24131;

private:
    QString text(std::size_t offset, int capacity) const;
    void setText(std::size_t offset, int capacity, const QString &s);
    int anzahl(std::size_t dateOffset) const;

    std::array<std::uint8_t, Groesse> bytes;
};
static_assert(sizeof(TSchlange) == TSchlange::Groesse, "the record is the file's bytes");

// Memory for records that begins on a page, and for a collection of 2 MiB or
// more on a huge page. The kernel copies a file's bytes out of its page cache
// several times faster into memory that begins on a page than into memory as
// the general allocator hands it out (16 bytes past one): a load of 10,000
// snakes took three times as long. Begun on a huge page, the whole collection
// can be filled with one fault per 2 MiB.
template <class T>
struct Seitenspeicher {
    using value_type = T;
    static constexpr std::size_t Seite = std::size_t(4) << 10;
    static constexpr std::size_t GrosseSeite = std::size_t(2) << 20;

    Seitenspeicher() = default;
    template <class U>
    Seitenspeicher(const Seitenspeicher<U> &) noexcept
    {
    }

    static std::align_val_t ausrichtung(std::size_t n)
    {
        return std::align_val_t(n * sizeof(T) >= GrosseSeite ? GrosseSeite : Seite);
    }
    T *allocate(std::size_t n)
    {
        if (n > std::size_t(-1) / sizeof(T))
            throw std::bad_array_new_length();
        return static_cast<T *>(::operator new(n * sizeof(T), ausrichtung(n)));
    }
    void deallocate(T *p, std::size_t n) noexcept { ::operator delete(p, n * sizeof(T), ausrichtung(n)); }
    template <class U>
    bool operator==(const Seitenspeicher<U> &) const noexcept
    {
        return true;
    }
};

// The collection: one record per tab, in tab order.
using TSchlangen = std::vector<TSchlange, Seitenspeicher<TSchlange>>;
