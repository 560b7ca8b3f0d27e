#pragma once
// The options dialog. Its settings-file operations delegate to the rules in
// settings/Optionen.h; readers elsewhere create one, never show it, call
// OptionenLoad and getOption, and free it.
#include "settings/Optionen.h"
#include <QDialog>

class TOptionen : public QDialog {
    Q_OBJECT
public:
    explicit TOptionen(QWidget *parent = nullptr);

    static void setVerz(const QString &dir);
    // Reads the settings file; when it cannot be read, tells the user
    // "Optionsdatei "options.ini" nicht gefunden" and keeps what was read.
    void OptionenLoad();
    QString getOption(const QString &name) const;
    // Writes the values the dialog holds.
    void OptionenSave();

    Optionen::Werte werte; // the values the dialog shows and saves

private:
    Optionen::Tabelle tabelle;
};
