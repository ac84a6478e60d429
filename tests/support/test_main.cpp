#include <QCoreApplication>
#include <QLocale>

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

namespace {

// Without the C library's Hungarian locale the decimal-comma cases would pass for the wrong reason: every
// test fails instead (scripts/install-deps.sh generates the locale).
class MissingLocale : public ::testing::Environment {
public:
    void SetUp() override {
        GTEST_FAIL() << "the C library's hu_HU.UTF-8 locale cannot be set; run scripts/install-deps.sh";
    }
};

} // namespace

// The program runs with Hungarian regional settings; so do the tests, down to the C library's decimal comma.
int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::Hungarian, QLocale::Hungary));
    const bool hungarian = std::setlocale(LC_ALL, "hu_HU.UTF-8") != nullptr;
    ::testing::InitGoogleTest(&argc, argv);
    if (!hungarian) {
        std::fprintf(stderr, "FATAL: cannot set the locale hu_HU.UTF-8\n");
        ::testing::AddGlobalTestEnvironment(new MissingLocale);
    }
    return RUN_ALL_TESTS();
}
