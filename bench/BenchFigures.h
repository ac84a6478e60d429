// What the bench programs share: figures printed as "name value unit" lines (lapora_bench passes the
// lines of the others through), medians over turns and a figure beside its floor.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <limits>
#include <string>
#include <vector>

namespace lapora::bench {

using SteadyClock = std::chrono::steady_clock;

inline double msSince(SteadyClock::time_point t0) {
    return std::chrono::duration<double, std::milli>(SteadyClock::now() - t0).count();
}

// CPU time of this process: on a loaded machine it says more than the wall clock about the work itself.
inline double cpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1000.0 + static_cast<double>(ts.tv_nsec) / 1e6;
}

inline void figure(const std::string& name, double value, const char* unit) {
    const std::string u = unit;
    const bool whole =
        u == "rows" || u == "rows/s" || u == "fields" || u == "turns" || u == "rounds" || u == "beeps";
    const int decimals = whole ? 0 : (u == "x" || u == "s") ? 2 : 1;
    std::printf("%s %.*f %s\n", name.c_str(), decimals, value, unit);
    std::fflush(stdout);
}

inline double median(std::vector<double> v) {
    if (v.empty())
        return std::numeric_limits<double>::quiet_NaN();
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// One figure beside its floor: both medians, the median of the turns' ratios and the target for that
// ratio (none when 0).
inline void beside(const std::string& name, const std::vector<double>& ours, const std::vector<double>& floor,
                   const char* unit, double target) {
    std::vector<double> ratios;
    for (size_t i = 0; i < ours.size() && i < floor.size(); ++i)
        ratios.push_back(ours[i] / floor[i]);
    figure(name, median(ours), unit);
    figure(name + "_floor", median(floor), unit);
    figure(name + "_ratio", median(ratios), "x");
    if (target > 0)
        figure(name + "_target", target, "x");
}

} // namespace lapora::bench
