#pragma once

#include <QString>

// The maker's imprint, in one place: the window title, the page-layout corner labels and the page footers use
// it.
namespace lapora::imprint {

inline const QString kMakerName = QStringLiteral("Lapora Szoftver Bt.");
inline const QString kMakerSeat = QStringLiteral("Budapest");
// One line: the maker's company name and seat.
inline QString oneLine() {
    return kMakerName + QStringLiteral(", ") + kMakerSeat;
}

} // namespace lapora::imprint
