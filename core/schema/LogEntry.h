#pragma once

#include <QString>

namespace lapora {

class View;

// Appends one row to the activity log through the calling window's own log view: the action's text, today,
// now, the working folder, the window's name and the program's name. A failed write is cleared and forgotten;
// after a good one the log view stands on its last row. Returns whether the row was written.
bool writeLogEntry(View& logView, const QString& action, const QString& windowName);

} // namespace lapora
