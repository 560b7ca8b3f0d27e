// Output of the snake on show: the text export and the print preview.
#include "app/TVivarix.h"
#include "output/Export.h"
#include "output/ui/TDruckvorschau.h"
#include "toolkit/TTabControl.h"

void TVivarix::Button2Click()
{
    const int k = TabControl1->currentIndex();
    if (k < 0 || k >= int(Schlangen.size()))
        return;
    const TSchlange &s = Schlangen[std::size_t(k)];
    SaveDialog2.vorschlag = Export::vorschlag(s.name());
    if (SaveDialog2.verzeichnis.isEmpty()) // the first export goes beside the data file
        datenDialogOrdner(SaveDialog2);
    const std::optional<QString> pfad = SaveDialog2.speichern(this);
    if (!pfad)
        return;
    Export::schreiben(*pfad, s);
}

void TVivarix::Button3Click()
{
    const int k = TabControl1->currentIndex();
    if (k < 0 || k >= int(Schlangen.size()))
        return;
    TDruckvorschau Druckvorschau(this, Schlangen[std::size_t(k)]);
    Modal(&Druckvorschau);
}
