#pragma once

#include <QString>

// The message boxes' recurring words, in one place.
namespace lapora::msg {

inline const QString kFigyelem = QString::fromUtf8("FIGYELEM!");
inline const QString kFigyelemTorles = QString::fromUtf8("FIGYELEM! TÖRLÉS!");
// A data file refused a write (disk full, locked file): the typed data stay on screen for another try.
inline const QString kIrasHiba =
    QString::fromUtf8("Az adatok mentése nem sikerült, a beírt adatok megmaradtak, kérem próbálja újra!");

} // namespace lapora::msg
