#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>

// The program runs with Hungarian regional settings; so do the tests, down to the C library's
// decimal comma where the system has that locale.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    std::setlocale(LC_ALL, "hu_HU.UTF-8");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
