// The feeding evaluations, reached from the menu, the tool bar and after a load.
#include "analysis/ui/TAlarm.h"
#include "analysis/ui/TCharts.h"
#include "app/TVivarix.h"

// Each reads the whole collection; they are off while a large one comes in.
void TVivarix::DateCheck()
{
    TAlarm::FressCheck(this, Schlangen, Auswertung::Kalendertag(heute()));
}

void TVivarix::TerminCheck()
{
    TAlarm::FressTermine(this, Schlangen, Auswertung::Kalendertag(heute()));
}

void TVivarix::ParadeCheck()
{
    TCharts::FressParade(this, Schlangen);
}

// Every editing command has already stored the snake on show, so the
// evaluations read a current collection without a Merken first.
void TVivarix::FressCheck1Click()
{
    DateCheck();
}

void TVivarix::FressTermine1Click()
{
    TerminCheck();
}

void TVivarix::FressParade1Click()
{
    ParadeCheck();
}

// The load itself has succeeded: a date the check cannot read is reported here,
// so it does not also cut short what the loading command still has to do (take
// the file name, enable editing).
void TVivarix::FressCheckNachLaden()
{
    Bewacht(this, [this] { FressCheck1Click(); });
}
