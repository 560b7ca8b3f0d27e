#include "settings/ui/TOptionen.h"

#include "toolkit/Dialoge.h"

TOptionen::TOptionen(QWidget *parent) : QDialog(parent) {}

void TOptionen::setVerz(const QString &dir)
{
    Optionen::setVerzeichnis(dir);
}

void TOptionen::OptionenLoad()
{
    if (Optionen::laden(tabelle))
        return;
    // Readers never show this object, so the message sits over our owner then.
    MessageDlg(isVisible() ? this : parentWidget(), QStringLiteral("Optionsdatei \"options.ini\" nicht gefunden"),
               MsgArt::Fehler, mbOK);
}

QString TOptionen::getOption(const QString &name) const
{
    return Optionen::wert(tabelle, name);
}

void TOptionen::OptionenSave()
{
    Optionen::speichern(werte);
}
