#pragma once

#include <QDate>
#include <QTime>

#include <optional>

namespace lapora {

// Today and now come from here only, so tests can fix them.
class Clock {
public:
    static QDate today();
    static QTime now(); // whole seconds
    // Seconds since midnight with their fraction (the fixed time when fixed).
    static double secondsSinceMidnight();
    static void fix(const QDate& d, const QTime& t);
    static void release();

private:
    static std::optional<QDate> fixedDate_;
    static std::optional<QTime> fixedTime_;
};

} // namespace lapora
