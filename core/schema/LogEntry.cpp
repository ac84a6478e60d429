#include "LogEntry.h"

#include "Clock.h"
#include "StoreError.h"
#include "View.h"

#include <QDir>

namespace lapora {

bool writeLogEntry(View& logView, const QString& action, const QString& windowName) {
    try {
        logView.addNew();
        // Written by position: the log's stored field order is fixed.
        logView.setField(0, Value::text(QString()));
        logView.setField(1, Value::text(QString()));
        logView.setField(2, Value::date(Clock::today()));
        logView.setField(3, Value::time(Clock::now()));
        logView.setField(4, Value::text(action));
        logView.setField(5, Value::text(QDir::toNativeSeparators(QDir::currentPath())));
        logView.setField(6, Value::number(0));
        logView.setField(7, Value::text(windowName));
        logView.setField(8, Value::number(0));
        logView.setField(9, Value::text(QStringLiteral("Lapora")));
        logView.update();
    } catch (const StoreError&) {
        if (logView.isOpen())
            logView.cancelUpdate();
        return false;
    }
    try {
        logView.moveLast();
    } catch (const StoreError&) {
    }
    return true;
}

} // namespace lapora
