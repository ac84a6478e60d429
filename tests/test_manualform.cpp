#include "LaporaFelhasznaloiKezikonyvForm.h"
#include "Messages.h"
#include "RecordingPrinter.h"
#include "RtfReader.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "TestRows.h"
#include "Twips.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::test;

namespace {

QColor buttonColour(const QPushButton* b) {
    return b->palette().color(QPalette::Button);
}

struct ManualFixture : ::testing::Test {
    WorkFolder wf{false};
    ScriptedPrompter prompter;
    TestModalHost modal;
    RecordingPrinter printer;
    Session session{prompter, modal};

    std::unique_ptr<LaporaFelhasznaloiKezikonyvForm> open() {
        session.printer = &printer;
        return std::make_unique<LaporaFelhasznaloiKezikonyvForm>(session);
    }
    void TearDown() override { EXPECT_TRUE(prompter.done()); }
};

TEST_F(ManualFixture, WindowAsDesigned) {
    auto w = open();
    EXPECT_EQ(w->objectName(), QStringLiteral("LaporaFelhasznaloiKezikonyvForm"));
    EXPECT_EQ(w->windowTitle(), u("Felhasználói kézikönyv - Lapora - Mintaverk"));
    auto* label = w->findChild<QLabel*>(QStringLiteral("Label1"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->text(),
              u("Figyelem! A kézikönyv RTF formátumban egységes szerkezetben is hozzáférhető a "
                "program munkakönyvtárában!"));
    auto* box = w->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isReadOnly());
    struct Button {
        const char* name;
        const char* caption;
        int left;
    };
    for (const Button& b :
         {Button{"Command2", "Nyomtatás (Print)", 120}, Button{"Kilepes", "Kilépés (Exit)", 13080}}) {
        SCOPED_TRACE(b.name);
        auto* button = w->findChild<QPushButton*>(QString::fromLatin1(b.name));
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->text(), u(b.caption));
        EXPECT_EQ(button->geometry(), twipsRect(b.left, 8760, 1695, 615));
        EXPECT_EQ(buttonColour(button), QColor(255, 255, 0));
        EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text()) + 8, button->width());
    }
    // The label and the buttons show whole with the design fonts' stand-ins.
    w->show();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width());
    EXPECT_GE(label->contentsRect().height(), label->fontMetrics().height());
    EXPECT_LT(label->geometry().bottom(), box->geometry().top());
    EXPECT_LT(box->geometry().bottom(),
              w->findChild<QPushButton*>(QStringLiteral("Kilepes"))->geometry().top());
    EXPECT_LE(w->findChild<QPushButton*>(QStringLiteral("Kilepes"))->geometry().right(), w->width());
}

// The built-in manual covers what a new user needs, with its pictures in the box and none in the plain text.
TEST_F(ManualFixture, BuiltInManualHasItsChaptersAndPictures) {
    auto w = open();
    const QString plain = w->plainText();
    EXPECT_TRUE(plain.startsWith(u("Lapora – Felhasználói kézikönyv\n")));
    for (const char* chapter : {"1. Indítás", "3. Egy munkalap az elejétől a végéig",
                                "4. Cégek és vállalkozók", "5. Adatok áthozatala más programokból",
                                "6. Nyomtatás", "7. Beállítások", "8. A napló", "10. Karbantartás: LPMRep"})
        EXPECT_TRUE(plain.contains(u("\n") + u(chapter) + u("\n"))) << chapter;
    EXPECT_FALSE(plain.contains(QChar::ObjectReplacementCharacter));
    EXPECT_FALSE(plain.contains(QLatin1Char('\\')));
    int pictures = 0;
    const QTextDocument* doc = w->textBox()->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it)
            if (it.fragment().charFormat().isImageFormat())
                ++pictures;
    EXPECT_GE(pictures, 1); // at least the main window's
    EXPECT_TRUE(LaporaFelhasznaloiKezikonyvForm::manualRtf().contains("\\pngblip"));
}

// Printing sends the plain text as one document; the button is green while it prints, then white.
TEST_F(ManualFixture, PrintsThePlainTextWithTheButtonGreenMeanwhile) {
    struct WatchingPrinter : RecordingPrinter {
        QPushButton* button = nullptr;
        QColor colourWhilePrinting;
        bool printText(const QString& text) override {
            colourWhilePrinting = button->palette().color(QPalette::Button);
            return RecordingPrinter::printText(text);
        }
    } watching;
    auto w = open();
    session.printer = &watching;
    watching.button = w->findChild<QPushButton*>(QStringLiteral("Command2"));
    w->print();
    ASSERT_EQ(watching.documents.size(), 1u);
    EXPECT_EQ(watching.documents[0], QStringList{w->plainText()});
    EXPECT_EQ(watching.colourWhilePrinting, QColor(0, 255, 0));
    EXPECT_EQ(buttonColour(watching.button), QColor(255, 255, 255));
    ASSERT_GE(prompter.pointers.size(), 2u);
    EXPECT_EQ(prompter.pointers[prompter.pointers.size() - 2], Pointer::Hourglass);
    EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
    EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(ManualFixture, PrinterNotReadyGivesItsMessage) {
    auto w = open();
    printer.failing = true;
    prompter.expectMessage(msg::kFigyelemHiba, msg::kNyomtatoNincsKesz, Icon::Error, Buttons::Ok, Answer::Ok);
    w->print();
    EXPECT_EQ(prompter.beeps, 1);
    EXPECT_TRUE(printer.documents.empty());
    EXPECT_EQ(buttonColour(w->findChild<QPushButton*>(QStringLiteral("Command2"))), QColor(255, 255, 255));
    // Hourglass, arrow before the message, arrow at the end.
    const std::vector<Pointer> tail(prompter.pointers.end() - 3, prompter.pointers.end());
    EXPECT_EQ(tail, (std::vector<Pointer>{Pointer::Hourglass, Pointer::Arrow, Pointer::Arrow}));
}

// "Kilépés (Exit)" and the frame alike close the window, the exit button white afterwards.
TEST_F(ManualFixture, ExitAndTheFrameCloseWithTheButtonWhite) {
    for (bool byFrame : {false, true}) {
        SCOPED_TRACE(byFrame);
        auto w = open();
        w->show();
        if (byFrame)
            w->close();
        else
            w->findChild<QPushButton*>(QStringLiteral("Kilepes"))->click();
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(buttonColour(w->findChild<QPushButton*>(QStringLiteral("Kilepes"))), QColor(255, 255, 255));
    }
}

// Opening the manual leaves it in the working folder as RTF when it is missing, never over a file of that
// name.
TEST_F(ManualFixture, WritesTheManualIntoTheWorkingFolderOnlyWhenMissing) {
    const QString path = wf.file(LaporaFelhasznaloiKezikonyvForm::kFileName);
    ASSERT_FALSE(QFile::exists(path));
    open();
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_EQ(bytes, LaporaFelhasznaloiKezikonyvForm::manualRtf());
    EXPECT_TRUE(readRtf(bytes).plain.startsWith(u("Lapora – Felhasználói kézikönyv")));
    written.close();

    // The user's own copy, whatever the case of its name, stays as it is.
    QFile::remove(path);
    const QString mine = wf.file(QStringLiteral("LAPORA-KEZIKONYV.RTF"));
    QFile own(mine);
    ASSERT_TRUE(own.open(QIODevice::WriteOnly));
    own.write("{\\rtf1 saját jegyzetek}");
    own.close();
    open();
    EXPECT_FALSE(QDir(wf.path()).entryList(QDir::Files).contains(LaporaFelhasznaloiKezikonyvForm::kFileName));
    ASSERT_TRUE(own.open(QIODevice::ReadOnly));
    EXPECT_EQ(own.readAll(), QByteArray("{\\rtf1 saját jegyzetek}"));
}

// A folder that takes no file costs the copy only: false, no message, nothing half written.
TEST_F(ManualFixture, FolderThatTakesNoFileWritesNothing) {
    const QString missing = wf.path() + QStringLiteral("/nincs/ilyen");
    EXPECT_FALSE(LaporaFelhasznaloiKezikonyvForm::writeManualFile(missing));
    EXPECT_FALSE(QDir(missing).exists());
    EXPECT_TRUE(prompter.asked.isEmpty());
}

} // namespace
