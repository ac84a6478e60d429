#pragma once

#include <QString>

// The message boxes' recurring words, in one place.
namespace lapora::msg {

// The program's name: the title of a message that has none of its own.
inline const QString kProgramName = QStringLiteral("Lapora");
inline const QString kFigyelem = QString::fromUtf8("FIGYELEM!");
inline const QString kFigyelemTorles = QString::fromUtf8("FIGYELEM! TÖRLÉS!");
// A data file refused a write (disk full, locked file): the typed data stay on screen for another try.
inline const QString kIrasHiba =
    QString::fromUtf8("Az adatok mentése nem sikerült, a beírt adatok megmaradtak, kérem próbálja újra!");

// A print with nothing to print.
inline const QString kNincsNyomtatando = QString::fromUtf8("Nincs nyomtatandó adat!");
// Any failure of a print: causes are not told apart.
inline const QString kNyomtatoNincsKesz = QString::fromUtf8("A nyomtató nincs készenlétben!");
inline const QString kFigyelemHiba = QString::fromUtf8("FIGYELEM! HIBA!");
inline const QString kNincsNyomtato = QString::fromUtf8("Nincs a nyomtató készenlétben! Ellenőrizze!");

} // namespace lapora::msg
