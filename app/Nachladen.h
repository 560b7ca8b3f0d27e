#pragma once
// A large collection between its first card and its rest: what the main
// window keeps while the helper reads the rest.
#include "app/TVivarix.h"
#include "app/Warteanzeige.h"
#include "data/Vorauslesen.h"

#include <QElapsedTimer>
#include <memory>
#include <optional>

struct TVivarix::Nachladen {
    std::unique_ptr<Vorauslesen> leser;
    Vorauslesen::Anfang anfang;
    QString pfad;
    Gezeigt vorher;                      // what the window showed before this load
    QElapsedTimer seit;                  // since the first card was set up
    bool gemalt = false;                 // the first card is painted (or will never be): the rest may be read
    std::optional<Warteanzeige> anzeige; // "Lade … Schlangen" and the bar, while the window answers
};
