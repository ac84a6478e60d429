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

namespace lapora::msg {

// The working folder's lock is held: LPMRep must not move the files away under a running Lapora, and a second
// Lapora must not write beside the first (or into files LPMRep is renewing).
inline const QString kLaporaFut = QString::fromUtf8(
    "A Lapora most is fut, kérem lépjen ki belőle, és csak azután indítsa a karbantartást!");
inline const QString kMappaFoglalt = QString::fromUtf8(
    "Ebben a mappában már fut a Lapora vagy a karbantartás (LPMRep), a program most kilép!");

} // namespace lapora::msg
