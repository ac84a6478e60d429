#pragma once

class QCoreApplication;

namespace lapora {

// Writes a line for every window the program shows (its class, title and, for a message box, its text), so
// that a check of an installed program can see how far it got where no screen can be looked at (Qt's
// offscreen platform). Silent and free unless Qt's logging rules turn on "lapora.windows.debug"; the program
// itself behaves the same either way.
void installWindowTrace(QCoreApplication& app);

} // namespace lapora
