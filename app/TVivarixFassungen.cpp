// "Frühere Fassung öffnen...": a version the saves kept, opened as a new collection.
#include "app/TFruehereFassung.h"
#include "app/TVivarix.h"

#include <QStatusBar>

void TVivarix::FruehereFassung1Click()
{
    TFruehereFassung dlg(this, Dateiname, Fassungen::liste(Dateiname));
    Modal(&dlg);
    const QString fassung = dlg.gewaehlt();
    if (fassung.isEmpty() || (Geaendert && !vorherSpeichern()))
        return;
    // Never saved over the file it came from, nor over the version, without a question.
    Laden(fassung, true);
}

// What a save could not keep as a version is told once, not at every save.
void TVivarix::fassungMelden(const QString &meldung)
{
    if (!meldung.isEmpty() && meldung != fassungGemeldet)
        statusBar()->showMessage(meldung);
    fassungGemeldet = meldung;
}
