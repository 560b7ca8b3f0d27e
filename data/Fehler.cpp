#include "data/Fehler.h"

#include "data/Systemaufrufe.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

EVivarix::EVivarix(const QString &message) : std::runtime_error(message.toStdString()), msg(message) {}

EInOutError::EInOutError(int code) : EVivarix(messageFor(code)), errorCode(code) {}

EInOutError::EInOutError(int code, const QString &message) : EVivarix(message), errorCode(code) {}

namespace {
// What stands at `pfad` now, for a message that names it: a folder, something
// other than a file (a pipe, a device), or nothing because its folder is gone.
QString wasDaIst(const QString &pfad)
{
    const QByteArray name = QFile::encodeName(pfad);
    if (name.contains('\0'))
        return {};
    struct stat st;
    if (sys().stat(name.constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return QStringLiteral(" ist ein Ordner");
        if (!S_ISREG(st.st_mode))
            return QStringLiteral(" ist keine gewöhnliche Datei");
        return {};
    }
    if (errno != ENOENT && errno != ENOTDIR)
        return {};
    const qsizetype schnitt = name.lastIndexOf('/');
    const QByteArray ordner = schnitt < 0 ? QByteArray(".") : name.left(std::max<qsizetype>(schnitt, 1));
    if (sys().stat(ordner.constData(), &st) == 0 && S_ISDIR(st.st_mode))
        return {};
    return QStringLiteral("\nDer Ordner existiert nicht mehr");
}
} // namespace

EInOutError EInOutError::mitPfad(const EInOutError &e, const QString &pfad)
{
    if ((e.code() != NichtGefunden && e.code() != UngueltigerName) || pfad.isEmpty())
        return e;
    return EInOutError(e.code(), e.message() + QStringLiteral(".\n\"") + pfad + u'"' + wasDaIst(pfad));
}

QString EInOutError::messageFor(int code)
{
    switch (code) {
    case NichtGefunden:
        return QStringLiteral("Datei nicht gefunden");
    case UngueltigerName:
        return QStringLiteral("Ungültiger Dateiname");
    case ZuVieleDateien:
        return QStringLiteral("Zu viele geöffnete Dateien");
    case ZugriffVerweigert:
        return QStringLiteral("Dateizugriff verweigert");
    case HinterDateiende:
        return QStringLiteral("Versuch hinter dem Dateiende zu lesen");
    case ZuWenigPlatz:
        return QStringLiteral("Zu wenig Speicherplatz");
    case KeineZahl:
        return QStringLiteral("Ungültige numerische Eingabe");
    default:
        return QStringLiteral("E/A-Fehler %1").arg(code);
    }
}

namespace {
// Whole megabytes, the file's size rounded up and the room rounded down, so the
// two never look equal.
QString mb(std::uint64_t bytes, bool aufrunden)
{
    const std::uint64_t m = std::uint64_t(1) << 20;
    return QString::number(aufrunden ? (bytes + m - 1) / m : bytes / m);
}
} // namespace

EDateiZuGross::EDateiZuGross(std::uint64_t groesse, std::uint64_t grenze)
    : EVivarix(QStringLiteral("Die Datei ist zu groß für den freien Arbeitsspeicher: sie hat %1 MB, "
                              "Platz ist für %2 MB")
                   .arg(mb(groesse, true), mb(grenze, false)))
{
}

int EInOutError::codeFromErrno(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return NichtGefunden;
    case ENAMETOOLONG:
    case EINVAL:
    case EISDIR:
    case ELOOP:
        return UngueltigerName;
    case EMFILE:
    case ENFILE:
        return ZuVieleDateien;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        return ZugriffVerweigert;
    case ENOSPC:
    case EFBIG:
    case EDQUOT:
        return ZuWenigPlatz;
    case EIO:
        // The system's number for a device failure would read as "access denied".
        return Geraetefehler;
    default:
        return err;
    }
}

int StrToInt(const QString &text)
{
    // Leading blanks and a sign are accepted, nothing after the digits.
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    const qsizetype firstDigit = i;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            break;
        value = value * 10 + (c - u'0');
        if (value > 2147483648LL)
            break;
    }
    if (negative)
        value = -value;
    if (i == firstDigit || i != text.size() || value > 2147483647LL || value < -2147483648LL)
        throw EConvertError(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(text));
    return static_cast<int>(value);
}

QString MitPunkt(const QString &meldung)
{
    if (!meldung.isEmpty() && meldung.back() > QChar(u'.'))
        return meldung + u'.';
    return meldung;
}
