#pragma once
// What the process needs before its first window.

namespace Start {
// A limit on file sizes (ulimit -f) would end the program by a signal in the
// middle of a save, taking the unsaved collection with it. Ignored, the limit
// makes the write fail instead, and the save reports "Zu wenig Speicherplatz"
// with the old file and the collection kept.
void prozessEinrichten();
} // namespace Start
