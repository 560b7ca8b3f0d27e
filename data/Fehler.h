#pragma once
// Failures that end a command and reach the general error report.
#include <QString>
#include <cstdint>
#include <stdexcept>

// Base of every failure a command may raise; carries the German message the
// user sees (without the closing point, which the report adds).
class EVivarix : public std::runtime_error {
public:
    explicit EVivarix(const QString &message);
    QString message() const { return msg; }

private:
    QString msg;
};

// An input/output error with the error code the user is told about.
class EInOutError : public EVivarix {
public:
    // The codes of our own failures and of the system's we name; another
    // system error keeps its number.
    enum Code : int {
        NichtGefunden = 2,     // "Datei nicht gefunden"
        UngueltigerName = 3,   // "Ungültiger Dateiname"
        ZuVieleDateien = 4,    // "Zu viele geöffnete Dateien"
        ZugriffVerweigert = 5, // "Dateizugriff verweigert"
        Geraetefehler = 31,    // a device failure (EIO)
        HinterDateiende = 100, // "Versuch hinter dem Dateiende zu lesen"
        ZuWenigPlatz = 101,    // "Zu wenig Speicherplatz"
        KeineZahl = 106,       // "Ungültige numerische Eingabe"
    };

    explicit EInOutError(int code);
    int code() const { return errorCode; }

    // The German message for an error code ("Datei nicht gefunden", ...).
    static QString messageFor(int code);
    // Maps an operating-system error number onto our error codes.
    static int codeFromErrno(int err);

    // The same failure told with the file it concerns, where the message is
    // about the file's name ("Datei nicht gefunden", "Ungültiger Dateiname"):
    // its path and, as far as it can be seen now, what stands there or that
    // its folder is gone. Any other failure comes back as it is.
    static EInOutError mitPfad(const EInOutError &e, const QString &pfad);

private:
    EInOutError(int code, const QString &message);
    int errorCode;
};

// A file too large to be held in the memory the system has left; refused
// before it is read, so that the system need not end the program.
class EDateiZuGross : public EVivarix {
public:
    EDateiZuGross(std::uint64_t groesse, std::uint64_t grenze);
};

// A text that is not a whole number or not a date.
class EConvertError : public EVivarix {
public:
    using EVivarix::EVivarix;
};

// A failure's message as the keeper is shown it, in the error report and on the
// command line: a point appended when the last character sorts after the point
// (as letters, digits and "?" do; not ".", "!", ")" or a blank).
QString MitPunkt(const QString &meldung);

// Whole-number conversion with the German failure message
// "'%s' ist kein gültiger Integerwert".
int StrToInt(const QString &text);
