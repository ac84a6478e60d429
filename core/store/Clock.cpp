#include "Clock.h"

#include <QDateTime>

namespace lapora {

std::optional<QDate> Clock::fixedDate_;
std::optional<QTime> Clock::fixedTime_;

QDate Clock::today() {
    return fixedDate_ ? *fixedDate_ : QDate::currentDate();
}

QTime Clock::now() {
    if (fixedTime_)
        return *fixedTime_;
    const QTime t = QTime::currentTime();
    return QTime(t.hour(), t.minute(), t.second());
}

double Clock::secondsSinceMidnight() {
    if (fixedTime_)
        return fixedTime_->msecsSinceStartOfDay() / 1000.0;
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

std::pair<QDate, double> Clock::todayAndSeconds() {
    if (fixedDate_ || fixedTime_)
        return {today(), secondsSinceMidnight()};
    const QDateTime now = QDateTime::currentDateTime();
    return {now.date(), now.time().msecsSinceStartOfDay() / 1000.0};
}

void Clock::fix(const QDate& d, const QTime& t) {
    fixedDate_ = d;
    fixedTime_ = t;
}

void Clock::release() {
    fixedDate_.reset();
    fixedTime_.reset();
}

} // namespace lapora
