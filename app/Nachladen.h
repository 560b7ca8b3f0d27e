#pragma once
// A large collection between its preview and the swap: what the main window
// shows and keeps while the helper reads the whole file. The collection the
// commands see stays the one before until the swap.
#include "app/TVivarix.h"
#include "app/Warteanzeige.h"
#include "data/Vorauslesen.h"

#include <QElapsedTimer>
#include <memory>
#include <optional>

struct TVivarix::Nachladen {
    std::unique_ptr<Vorauslesen> leser;
    Vorauslesen::Anfang anfang; // the preview: the number of snakes, the first one and the first names
    QString pfad;
    bool unbenannt = false; // see Laden
    // The tab and the changes of the collection before, back should the load
    // fail: its changes were let go when the load began.
    int vorherTab = -1;
    bool vorherGeaendert = false;
    QElapsedTimer seit;                  // since the first card was set up
    bool gemalt = false;                 // the first card is painted (or will never be): the rest may be read
    std::optional<Warteanzeige> anzeige; // "Lade … Schlangen" and the bar, while the window answers
};
