#pragma once
// What the process needs before its first window.
class QApplication;

namespace Start {
// A limit on file sizes (ulimit -f) would end the program by a signal in the
// middle of a save, taking the unsaved collection with it. Ignored, the limit
// makes the write fail instead, and the save reports "Zu wenig Speicherplatz"
// with the old file and the collection kept.
void prozessEinrichten();

// German for the program and for Qt's own dialogs, and the desktop entry the
// window belongs to. Called right after the application object is made.
void anwendungEinrichten(QApplication &app);
} // namespace Start
