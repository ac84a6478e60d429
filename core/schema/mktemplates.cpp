// Build step: writes the empty data-file templates into the folder given.
#include "StoreError.h"
#include "Templates.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: lapora_mktemplates <folder>\n");
        return 2;
    }
    try {
        lapora::schema::writeTemplates(QString::fromLocal8Bit(argv[1]));
    } catch (const lapora::StoreError& e) {
        std::fprintf(stderr, "lapora_mktemplates: %s\n", e.what());
        return 1;
    }
    return 0;
}
