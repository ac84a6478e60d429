#pragma once

#include <QDate>
#include <QTime>

#include <optional>
#include <utility>

namespace lapora {

// Today and now come from here only, so tests can fix them.
class Clock {
public:
    static QDate today();
    static QTime now(); // whole seconds
    // Seconds since midnight with their fraction (the fixed time when fixed).
    static double secondsSinceMidnight();
    // Today and the seconds since its midnight from one reading: the two cannot straddle midnight.
    static std::pair<QDate, double> todayAndSeconds();
    static void fix(const QDate& d, const QTime& t);
    static void release();

private:
    static std::optional<QDate> fixedDate_;
    static std::optional<QTime> fixedTime_;
};

} // namespace lapora
