#include "AdatathozatalFormX.h"
#include "Captions.h"
#include "CimzettForm.h"
#include "JobList.h"
#include "LPMRepX.h"
#include "LaporaX.h"
#include "NaploFormX.h"
#include "PageLayout.h"
#include "ParameterFormX.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "SzamlaImportFormX.h"
#include "TaroloImportFormX.h"
#include "WorkFolder.h"

#include <QLabel>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace lapora;
using namespace lapora::test;

namespace {

// What a window needs to be built in a test: a fresh working folder with empty data files and the session.
struct Context {
    WorkFolder wf;
    ScriptedPrompter prompter;
    TestModalHost modal;
    Session session{prompter, modal};
};

// Every window of the program, built as it first shows. A new window adds a line here.
struct WindowCase {
    const char* name;
    std::function<std::unique_ptr<QWidget>(Context&)> make;
};

const WindowCase kWindows[] = {
    {"LaporaX", [](Context& c) { return std::make_unique<LaporaX>(c.session); }},
    {"CimzettForm", [](Context& c) { return std::make_unique<CimzettForm>(c.session); }},
    {"MunkaNyomFormX",
     [](Context& c) { return std::make_unique<PageLayoutWindow>(jobListLayout(), c.session); }},
    {"MunkaNyomTetelFormX",
     [](Context& c) { return std::make_unique<PageLayoutWindow>(certificateLayout(), c.session); }},
    {"BeszallitoNyomFormX",
     [](Context& c) { return std::make_unique<PageLayoutWindow>(companyListLayout(), c.session); }},
    {"LPNyomtatFormX",
     [](Context& c) {
         c.session.jobListCompany = QStringLiteral("Kft.");
         return std::make_unique<LPNyomtatFormX>(c.session);
     }},
    {"LPMRepX",
     [](Context& c) { return std::make_unique<LPMRepX>(c.prompter, c.wf.path(), test::templateDir()); }},
    {"ParameterFormX", [](Context& c) { return std::make_unique<ParameterFormX>(c.session); }},
    {"NaploFormX", [](Context& c) { return std::make_unique<NaploFormX>(c.session); }},
    {"AdatathozatalFormX", [](Context& c) { return std::make_unique<AdatathozatalFormX>(c.session); }},
    {"SzamlaImportFormX", [](Context& c) { return std::make_unique<SzamlaImportFormX>(c.session); }},
    {"TaroloImportFormX", [](Context& c) { return std::make_unique<TaroloImportFormX>(c.session); }},
};

class Captions : public ::testing::TestWithParam<WindowCase> {};

TEST_P(Captions, EveryLabelShowsItsWholeText) {
    Context c;
    std::unique_ptr<QWidget> w = GetParam().make(c);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->objectName(), QString::fromLatin1(GetParam().name));
    // The labels that were looked at: a window whose labels all went missing must not pass.
    EXPECT_FALSE(w->findChildren<QLabel*>().isEmpty());
    const QStringList clipped = test::clippedCaptions(w.get());
    EXPECT_TRUE(clipped.isEmpty()) << clipped.join(QLatin1Char('\n')).toStdString();
}

INSTANTIATE_TEST_SUITE_P(AllWindows, Captions, ::testing::ValuesIn(kWindows),
                         [](const ::testing::TestParamInfo<WindowCase>& i) {
                             return std::string(i.param.name);
                         });

// The check itself: a label narrower than its text is found, a wide enough one is not.
TEST(CaptionCheck, FindsALabelNarrowerThanItsText) {
    QWidget w;
    auto* narrow = new QLabel(QString::fromUtf8("Cég-vállalkozó neve:"), &w);
    narrow->setObjectName(QStringLiteral("Narrow"));
    narrow->setGeometry(0, 0, 30, 40);
    auto* wide = new QLabel(QString::fromUtf8("Cég-vállalkozó neve:"), &w);
    wide->setObjectName(QStringLiteral("Wide"));
    wide->setGeometry(0, 50, 400, 40);
    auto* wrapped = new QLabel(QStringLiteral("egy ketto harom negy ot hat het nyolc"), &w);
    wrapped->setObjectName(QStringLiteral("Wrapped"));
    wrapped->setWordWrap(true);
    wrapped->setGeometry(0, 100, 60, 14); // room for one line of several
    const QStringList clipped = test::clippedCaptions(&w);
    ASSERT_EQ(clipped.size(), 2) << clipped.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(clipped[0].startsWith(QStringLiteral("Narrow "))) << clipped[0].toStdString();
    EXPECT_TRUE(clipped[1].startsWith(QStringLiteral("Wrapped "))) << clipped[1].toStdString();
}

} // namespace
