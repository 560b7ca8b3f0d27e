// "Gehe zu Schlange...": a snake found by its name instead of along the tab strip.
#include "app/TGeheZu.h"
#include "app/TVivarix.h"
#include "toolkit/TTabControl.h"

void TVivarix::GeheZu1Click()
{
    QStringList namen;
    namen.reserve(TabControl1->count());
    for (int i = 0; i < TabControl1->count(); ++i)
        namen << TabControl1->tabText(i);
    TGeheZu dlg(this, namen, TabControl1->currentIndex());
    Modal(&dlg);
    // Shown as a click on its tab would show it: every edit has already stored
    // the snake on show.
    const int i = dlg.gewaehlt();
    if (i >= 0 && i != TabControl1->currentIndex())
        TabControl1Change(i);
}
