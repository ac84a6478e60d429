// Lapora on the current working folder. Until the main window lands this opens the data files and reports
// what they hold, so the start command proves the store works on a real folder.
#include "Database.h"
#include "Schema.h"
#include "StoreError.h"
#include "View.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using namespace lapora;
    try {
        for (const auto& f : schema::files()) {
            auto db = Database::open(f.name);
            for (const auto& t : f.tables) {
                View v(db, t.name);
                std::printf("%s / %s: %d sor\n", qPrintable(f.name), qPrintable(t.name), v.recordCount());
            }
        }
    } catch (const StoreError&) {
        std::fprintf(stderr, "SÚLYOS HIBA! Nem találhatók az adatbázisok!\n");
        return 1;
    }
    return 0;
}
