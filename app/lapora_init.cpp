// Prepares a working folder: copies in the data-file templates that are missing there.
#include "StoreError.h"
#include "Templates.h"

#include <QCoreApplication>
#include <QDir>
#include <QStorageInfo>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    try {
        const QStringList made = lapora::schema::prepareWorkFolder(folder);
        for (const QString& f : made)
            std::printf("új adatfájl: %s\n", qPrintable(QDir::toNativeSeparators(f)));
        if (made.isEmpty())
            std::printf("Az adatfájlok már megvannak: %s\n", qPrintable(QDir::toNativeSeparators(folder)));
    } catch (const lapora::StoreError& e) {
        // The reason first in the user's words where it is a full disk, then the system's own.
        const QStorageInfo disk(folder);
        const bool full = QString::fromUtf8(e.what()).contains(QLatin1String("full")) ||
                          (disk.isValid() && disk.bytesAvailable() < 64 * 1024);
        std::fprintf(stderr, "HIBA: az adatfájlok nem készíthetők el%s (%s)\n",
                     full ? ", megtelt a lemez" : "", e.what());
        return 1;
    }
    return 0;
}
