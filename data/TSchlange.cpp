#include "data/TSchlange.h"

#include "data/Cp1252.h"

#include <QByteArray>
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace {

constexpr std::size_t DatumFeld = TSchlange::DatumKap + 1;
constexpr std::size_t TextFeld = TSchlange::TextKap + 1;

// The journals must end exactly where the next field (or the record) begins.
static_assert(TSchlange::OffFutterDatum + TSchlange::Slots * DatumFeld == TSchlange::OffBemerkDatum);
static_assert(TSchlange::OffBemerkDatum + TSchlange::Slots * DatumFeld == TSchlange::OffFutter);
static_assert(TSchlange::OffFutter + TSchlange::Slots * TextFeld == TSchlange::OffBemerkung);
static_assert(TSchlange::OffBemerkung + TSchlange::Slots * TextFeld == TSchlange::Groesse);
static_assert(TSchlange::OffBild + TSchlange::BildKap + 1 + 2 == TSchlange::OffTage);

std::size_t slotOffset(std::size_t base, std::size_t feld, int slot)
{
    if (slot < 0 || slot >= TSchlange::Slots)
        throw std::out_of_range("journal slot " + std::to_string(slot) + " outside 0.." +
                                std::to_string(TSchlange::Slots - 1));
    return base + feld * std::size_t(slot);
}

} // namespace

QString TSchlange::text(std::size_t offset, int capacity) const
{
    // A damaged or hostile length byte never reaches past the field.
    const std::size_t len = std::min<std::size_t>(bytes[offset], std::size_t(capacity));
    return Cp1252::decode(bytes.data() + offset + 1, len);
}

void TSchlange::setText(std::size_t offset, int capacity, const QString &s)
{
    const QByteArray enc = Cp1252::encode(s);
    const std::size_t len = std::min<std::size_t>(std::size_t(enc.size()), std::size_t(capacity));
    bytes[offset] = std::uint8_t(len);
    // Only the characters are written; the bytes behind them stay as they were.
    std::memcpy(bytes.data() + offset + 1, enc.constData(), len);
}

QString TSchlange::name() const
{
    return text(OffName, NameKap);
}
void TSchlange::setName(const QString &s)
{
    setText(OffName, NameKap, s);
}
QString TSchlange::gattung() const
{
    return text(OffGattung, GattungKap);
}
void TSchlange::setGattung(const QString &s)
{
    setText(OffGattung, GattungKap, s);
}
QString TSchlange::farbe() const
{
    return text(OffFarbe, FarbeKap);
}
void TSchlange::setFarbe(const QString &s)
{
    setText(OffFarbe, FarbeKap, s);
}
QString TSchlange::geschlecht() const
{
    return text(OffGeschlecht, GeschlechtKap);
}
void TSchlange::setGeschlecht(const QString &s)
{
    setText(OffGeschlecht, GeschlechtKap, s);
}
QString TSchlange::schlupf() const
{
    return text(OffSchlupf, SchlupfKap);
}
void TSchlange::setSchlupf(const QString &s)
{
    setText(OffSchlupf, SchlupfKap, s);
}
QString TSchlange::bild() const
{
    return text(OffBild, BildKap);
}
void TSchlange::setBild(const QString &s)
{
    setText(OffBild, BildKap, s);
}

std::int32_t TSchlange::tage() const
{
    std::uint8_t b[4];
    std::memcpy(b, bytes.data() + OffTage, 4);
    const std::uint32_t u =
        std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    return std::int32_t(u); // two's complement, whatever the host's byte order
}

void TSchlange::setTage(std::int32_t t)
{
    const std::uint32_t u = std::uint32_t(t);
    const std::uint8_t b[4] = {std::uint8_t(u), std::uint8_t(u >> 8), std::uint8_t(u >> 16), std::uint8_t(u >> 24)};
    std::memcpy(bytes.data() + OffTage, b, 4);
}

QString TSchlange::futterDatum(int slot) const
{
    return text(slotOffset(OffFutterDatum, DatumFeld, slot), DatumKap);
}
void TSchlange::setFutterDatum(int slot, const QString &s)
{
    setText(slotOffset(OffFutterDatum, DatumFeld, slot), DatumKap, s);
}
QString TSchlange::futter(int slot) const
{
    return text(slotOffset(OffFutter, TextFeld, slot), TextKap);
}
void TSchlange::setFutter(int slot, const QString &s)
{
    setText(slotOffset(OffFutter, TextFeld, slot), TextKap, s);
}
QString TSchlange::bemerkDatum(int slot) const
{
    return text(slotOffset(OffBemerkDatum, DatumFeld, slot), DatumKap);
}
void TSchlange::setBemerkDatum(int slot, const QString &s)
{
    setText(slotOffset(OffBemerkDatum, DatumFeld, slot), DatumKap, s);
}
QString TSchlange::bemerkung(int slot) const
{
    return text(slotOffset(OffBemerkung, TextFeld, slot), TextKap);
}
void TSchlange::setBemerkung(int slot, const QString &s)
{
    setText(slotOffset(OffBemerkung, TextFeld, slot), TextKap, s);
}

int TSchlange::anzahl(std::size_t dateOffset) const
{
    int n = 0;
    while (n < Slots && bytes[dateOffset + DatumFeld * std::size_t(n)] != 0)
        ++n;
    return n;
}

TSchlange::Journal TSchlange::journal(Journalart art) const
{
    return art == Journalart::Futter ? Journal(*this, OffFutterDatum, OffFutter)
                                     : Journal(*this, OffBemerkDatum, OffBemerkung);
}

int TSchlange::Journal::anzahl() const
{
    return satz->anzahl(datumOff);
}
QString TSchlange::Journal::datum(int slot) const
{
    return satz->text(slotOffset(datumOff, DatumFeld, slot), DatumKap);
}
QString TSchlange::Journal::text(int slot) const
{
    return satz->text(slotOffset(textOff, TextFeld, slot), TextKap);
}

void TSchlange::setEintrag(Journalart art, int slot, const QString &datum, const QString &text)
{
    const Journal j = journal(art);
    setText(slotOffset(j.datumOff, DatumFeld, slot), DatumKap, datum);
    setText(slotOffset(j.textOff, TextFeld, slot), TextKap, text);
}

int TSchlange::futterAnzahl() const
{
    return anzahl(OffFutterDatum);
}
int TSchlange::bemerkAnzahl() const
{
    return anzahl(OffBemerkDatum);
}
