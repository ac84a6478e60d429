#pragma once

#include <QString>

// The message boxes' recurring words, in one place.
namespace lapora::msg {

// The program's name: the title of a message that has none of its own.
inline const QString kProgramName = QStringLiteral("Lapora");
inline const QString kFigyelem = QString::fromUtf8("FIGYELEM!");
inline const QString kFigyelemTorles = QString::fromUtf8("FIGYELEM! TÖRLÉS!");
// A data file refused a write (disk full, locked file). The words name what failed; what the user typed stays
// on screen for another try.
// Saving the edits (the save command, and every other command that writes them first, exit included).
inline const QString kIrasHiba =
    QString::fromUtf8("Az adatok mentése nem sikerült, a beírt adatok megmaradtak, kérem próbálja újra!");
// Deleting a row.
inline const QString kTorlesHiba =
    QString::fromUtf8("A törlés nem sikerült, az adatsor megmaradt, kérem próbálja újra!");
// Adding a new row.
inline const QString kUjSorHiba = QString::fromUtf8(
    "Az új adatsor felvétele nem sikerült, a beírt adatok megmaradtak, kérem próbálja újra!");
// Leaving the row (grid, navigation bar, search): its edits could not be written, so it stays current.
inline const QString kLepesHiba = QString::fromUtf8("A másik sorra lépés nem sikerült, mert a beírt adatok "
                                                    "nem menthetők; az adatok megmaradtak, kérem próbálja "
                                                    "újra!");
// A gross price that does not fit the stored whole number is refused, never cut.
inline const QString kTulNagyOsszeg =
    QString::fromUtf8("A bruttó ár túl nagy, nem menthető! Kérem javítsa a nettó árat vagy az ÁFA-t!");

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

namespace lapora::msg {

// Start-up: a data file that another program holds locked, or one of the old kind that only LPMRep reads.
inline const QString kAdatbazisFoglalt = QString::fromUtf8(
    "Az adatbázisokat most egy másik program használja, kérem zárja be azt, és csak azután indítsa újra a "
    "Laporát!");
// %1: the file's name.
inline const QString kRegiAdatfajl = QString::fromUtf8(
    "A %1 régi formátumú adatfájl: az LPMRep karbantartó program alakítja át, a program most kilép!");

} // namespace lapora::msg
