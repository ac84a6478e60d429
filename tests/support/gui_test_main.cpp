#include "Fonts.h"

#include <QApplication>
#include <QLocale>

#include <gtest/gtest.h>

// Window tests run real widgets without a display, with the program's Hungarian regional settings.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    lapora::installFontSubstitutes();
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
