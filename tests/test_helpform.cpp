#include "HelpFormX.h"
#include "Messages.h"
#include "RecordingPrinter.h"
#include "RtfReader.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "TestRows.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kTopic = QStringLiteral("ParameterFormX");

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A help window on a root and a shipped folder of the test's own.
struct HelpFixture : ::testing::Test {
    QTemporaryDir root, shipped;
    ScriptedPrompter prompter;
    TestModalHost modal;
    RecordingPrinter printer;
    Session session{prompter, modal};

    std::unique_ptr<HelpFormX> open() {
        session.printer = &printer;
        auto w = std::make_unique<HelpFormX>(session);
        w->setSearchPlaces(root.path(), {shipped.path()});
        return w;
    }
    void expectLoadFailed() {
        prompter.expectMessage(msg::kFigyelem, HelpFormX::kLoadFailed, Icon::Error, Buttons::Ok, Answer::Ok);
    }
};

TEST_F(HelpFixture, WindowAsDesigned) {
    auto w = open();
    EXPECT_EQ(w->objectName(), QStringLiteral("HelpFormX"));
    EXPECT_EQ(w->windowTitle(), u("Segédlet (Help) - Lapora"));
    auto* box = w->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    const auto* print = w->findChild<QAction*>(QStringLiteral("HNyom"));
    const auto* back = w->findChild<QAction*>(QStringLiteral("Kilepes"));
    ASSERT_NE(print, nullptr);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(print->text(), u("&Nyomtat (Print)"));
    EXPECT_EQ(back->text(), u("&Kilépés (Back)"));
    ASSERT_FALSE(prompter.pointers.empty());
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
}

// The family's folder is found from the root whatever the case of its parts; its cp1250 bytes and \u
// escapes show as Hungarian text, and that copy wins over the shipped one.
TEST_F(HelpFixture, RootFileMatchedWithoutCaseShowsHungarianText) {
    writeFile(root.path() + QStringLiteral("/pactoraCRM/SEGEDLET/parameterformx.RTF"),
              "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0\\fcharset238 Arial;}}\\f0 "
              "Sz\\'e1ml\\'e1z\\'f3 mapp\\'e1ja \\u337?\\u369? \\'d5\\'db\\par V\\'e9ge}");
    writeFile(shipped.path() + QStringLiteral("/ParameterFormX.rtf"), "{\\rtf1 shipped}");
    session.helpKey = kTopic;
    auto w = open();
    w->activate();
    EXPECT_EQ(w->textBox()->toPlainText(), u("Számlázó mappája őű ŐŰ\nVége"));
    EXPECT_EQ(w->plainText(), u("Számlázó mappája őű ŐŰ\nVége"));
    EXPECT_TRUE(session.helpKey.isEmpty());
    EXPECT_TRUE(prompter.asked.isEmpty());
}

// No file under the root: the copy that ships with the program; no message.
TEST_F(HelpFixture, ShippedCopyWhenTheRootHasNone) {
    writeFile(shipped.path() + QStringLiteral("/ParameterFormX.rtf"), "{\\rtf1 A saj\\'e1t p\\'e9ld\\'e1ny}");
    session.helpKey = kTopic;
    auto w = open();
    w->activate();
    EXPECT_EQ(w->plainText(), u("A saját példány"));
    EXPECT_TRUE(prompter.asked.isEmpty());
}

// Neither file: the message once per opening, an empty box, and printing still works (an empty text).
TEST_F(HelpFixture, MissingFileGivesTheMessageOnceAndPrintsEmptyText) {
    session.helpKey = kTopic;
    auto w = open();
    expectLoadFailed();
    w->activate();
    w->activate(); // back from the message box: activated again
    EXPECT_TRUE(prompter.done());
    EXPECT_EQ(prompter.asked.size(), 1);
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_TRUE(w->textBox()->toPlainText().isEmpty());
    w->print();
    ASSERT_EQ(printer.documents.size(), 1u);
    EXPECT_EQ(printer.documents[0], QStringList{QString()});
    w->quit();
    EXPECT_FALSE(w->isVisible());
}

// A file that is there but is no RTF (or cannot be read) is a failed load too.
TEST_F(HelpFixture, FileThatIsNoRtfGivesTheMessage) {
    writeFile(root.path() + QStringLiteral("/PactoraCRM/Segedlet/ParameterFormX.rtf"), "not rich text");
    session.helpKey = kTopic;
    auto w = open();
    expectLoadFailed();
    w->activate();
    EXPECT_TRUE(prompter.done());
    EXPECT_TRUE(w->textBox()->toPlainText().isEmpty());
}

// Another topic loads nothing and asks nothing; the topic is emptied either way.
TEST_F(HelpFixture, OtherTopicLoadsNothing) {
    writeFile(shipped.path() + QStringLiteral("/ParameterFormX.rtf"), "{\\rtf1 x}");
    session.helpKey = QStringLiteral("LaporaX");
    auto w = open();
    w->activate();
    EXPECT_TRUE(w->plainText().isEmpty());
    EXPECT_TRUE(session.helpKey.isEmpty());
    EXPECT_TRUE(prompter.asked.isEmpty());
}

// Printing sends the plain text only, as one document; a printer that is not ready gets the message.
TEST_F(HelpFixture, PrintsPlainTextAndReportsAPrinterNotReady) {
    writeFile(shipped.path() + QStringLiteral("/ParameterFormX.rtf"),
              "{\\rtf1 {\\b Els\\'f5}\\par{\\pict\\pngblip 00}m\\'e1sodik}");
    session.helpKey = kTopic;
    auto w = open();
    w->activate();
    w->print();
    ASSERT_EQ(printer.documents.size(), 1u);
    EXPECT_EQ(printer.documents[0], QStringList{u("Elsõ\nmásodik")});

    printer.failing = true;
    prompter.expectMessage(msg::kFigyelem, msg::kNyomtatoNincsKesz, Icon::Error, Buttons::Ok, Answer::Ok);
    w->print();
    EXPECT_TRUE(prompter.done());
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_EQ(printer.documents.size(), 1u);
}

TEST(HelpFile, FindNoCaseMatchesEveryPart) {
    QTemporaryDir root;
    writeFile(root.path() + QStringLiteral("/AbC/dEf/File.Rtf"), "x");
    EXPECT_EQ(HelpFormX::findNoCase(root.path(), QStringLiteral("abc/DEF/file.rtf")),
              root.path() + QStringLiteral("/AbC/dEf/File.Rtf"));
    EXPECT_TRUE(HelpFormX::findNoCase(root.path(), QStringLiteral("abc/file.rtf")).isEmpty());
    EXPECT_TRUE(HelpFormX::findNoCase(root.path(), QStringLiteral("abc/def")).isEmpty()); // a folder, no file
    EXPECT_TRUE(HelpFormX::findNoCase(root.path() + QStringLiteral("/nincs"), QStringLiteral("x")).isEmpty());
}

// Installed, the programs sit in <prefix>/lib/lapora and the help file in <prefix>/share/lapora; from the
// build tree, beside the programs.
TEST(HelpFile, ShippedCopyIsLookedForBesideAndUnderShare) {
    const QStringList installed = HelpFormX::defaultShippedFolders(QStringLiteral("/usr/lib/lapora"));
    ASSERT_GE(installed.size(), 2);
    EXPECT_EQ(installed[0], QStringLiteral("/usr/lib/lapora"));
    EXPECT_EQ(installed[1], QStringLiteral("/usr/share/lapora"));
}

// The program's own help file is built beside the programs and explains every settings column.
TEST(HelpFile, ProjectHelpFileDescribesEveryColumn) {
    const QString path =
        HelpFormX::findNoCase(QCoreApplication::applicationDirPath(), QStringLiteral("ParameterFormX.rtf"));
    ASSERT_FALSE(path.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.contains("\\ansicpg1250"));
    QTextDocument doc;
    const RtfText text = readRtf(bytes, &doc);
    ASSERT_TRUE(text.isRtf);
    EXPECT_TRUE(text.plain.startsWith(u("Beállítások (ParameterFormX) – segédlet\n")));
    const char* const columns[] = {"FakturoNextPath", "Evszam",         "Datumkod",      "Penznem",
                                   "TaroloPath",      "KeverdaPath",    "Adoszam",       "AdorakPath",
                                   "CegAdatok",       "KépernyöMérete", "InterfacePath", "SorszámKiegészités",
                                   "EmblemaFajl",     "ÁllandóSzöveg"};
    for (int i = 0; i < 14; ++i)
        EXPECT_TRUE(text.plain.contains(QString::number(i) + u(". ") + u(columns[i]) + u(" – ")))
            << columns[i];
    EXPECT_TRUE(text.plain.contains(u("ezek a következő")));
    EXPECT_TRUE(text.plain.contains(u("programnak → ezek")));
    EXPECT_FALSE(text.plain.contains(QLatin1Char('\\')));
    EXPECT_FALSE(text.plain.contains(QLatin1Char('{')));
}

} // namespace
