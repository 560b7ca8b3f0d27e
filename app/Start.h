#pragma once
// What the process needs before its first window.
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class QApplication;
class TVivarix;
class Vorauslesen;

namespace Start {
// A limit on file sizes (ulimit -f) would end the program by a signal in the
// middle of a save, taking the unsaved collection with it. Ignored, the limit
// makes the write fail instead, and the save reports "Zu wenig Speicherplatz"
// with the old file and the collection kept.
void prozessEinrichten();

// German for the program and for Qt's own dialogs, the desktop entry the
// window belongs to, and the style with the program's own pictures (Stil).
// Called right after the application object is made.
void anwendungEinrichten(QApplication &app);

// Begins reading, on a helper thread, `datei`, else the collection that the
// settings in the current folder load at start, so the main window is built meanwhile and
// shows the snakes in its first paint; of a large collection only what that
// paint needs, the rest after it. The settings are read silently: their
// messages come from the window's own start-up.
std::unique_ptr<Vorauslesen> vorauslesen(const std::optional<QString> &datei = std::nullopt);

// What the launcher has to tell before the program starts, and only it: it
// could not make the keeper's data folder and started the program in a
// folder of its own for now. Started from the menu, nobody reads its error
// output, so it leaves the text in VIVARIX_STARTMELDUNG; the variable is
// taken out of the environment here, so no program started from ours sees it.
// Called before any other thread runs.
QString startmeldung();

// The whole program: the steps above, the main window shown (with the
// launcher's message over it, if it left one), the event loop. The window
// opens `datei` (named on the command line, from the current folder) in place
// of the settings' start-up file, as "Laden..." would.
// `vorDemZeigen` lets a benchmark watch the window before it is shown.
int ausfuehren(int &argc, char **argv, const std::optional<QString> &datei = std::nullopt,
               const std::function<void(TVivarix &)> &vorDemZeigen = {});
} // namespace Start
