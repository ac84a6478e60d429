#include "Messages.h"
#include "PageLayout.h"
#include "QtPrinter.h"
#include "QtPrinters.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "TestRows.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kCompany = u("Árvíztűrő Tükörfúrógép Kft.");
const QString kFooter = u("Lapszám: 1.  nyomtatva: 2013.03.04.  08:10:02");

// Runs a tool and gives its standard output; a tool that does not run fails the test unless quiet.
QString run(const QString& program, const QStringList& args, bool quiet = false) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        if (!quiet)
            ADD_FAILURE() << program.toStdString() << " failed: " << p.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

// Runs of spaces collapsed: the text tool lays words out by their positions, not by the spaces typed.
QString pdfText(const QString& pdf, bool quiet = false) {
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, quiet)
        .replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
}

QString squeezed(QString s) {
    return s.replace(QRegularExpression(QStringLiteral(" +")), QStringLiteral(" "));
}

struct PdfInfo {
    int pages = 0;
    double width = 0, height = 0; // points
};

PdfInfo pdfInfo(const QString& pdf) {
    PdfInfo info;
    const QString out = run(QStringLiteral("pdfinfo"), {pdf});
    const auto pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)"), QRegularExpression::MultilineOption)
            .match(out);
    if (pages.hasMatch())
        info.pages = pages.captured(1).toInt();
    const auto size = QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+)"),
                                         QRegularExpression::MultilineOption)
                          .match(out);
    if (size.hasMatch()) {
        info.width = size.captured(1).toDouble();
        info.height = size.captured(2).toDouble();
    }
    return info;
}

class QtPrinterTest : public ::testing::Test {
protected:
    QtPrinterTest() : session(prompter, modal) {}

    // A filled certificate page, printed with "Nyomtat" through the given printer.
    void printCertificate(Printer& printer, const QString& number = QStringLiteral("12/2013")) {
        session.printer = &printer;
        PageLayoutWindow w(certificateLayout(), session);
        w.show();
        w.setCellText(QStringLiteral("Label2"), kCompany);
        w.setCellText(QStringLiteral("Label6"), QStringLiteral("2013.03.04. 08:10"));
        w.setCellText(QStringLiteral("Label7"), u("Nyomtató javítása"));
        w.setCellText(QStringLiteral("Label8"), number);
        w.setCellText(QStringLiteral("Text1"), u("Görgő csere, tisztítás.\r\nBeállítás és próbanyomtatás."));
        w.setCellText(QStringLiteral("Label45"), kFooter);
        w.print();
    }

    QTemporaryDir tmp;
    ScriptedPrompter prompter;
    TestModalHost modal;
    Session session;
};

TEST_F(QtPrinterTest, ACertificateBecomesOneLandscapePdfPageWithRealText) {
    QtPrinter printer(tmp.filePath(QStringLiteral("pdf")));
    printer.setForcePdf(true);
    printCertificate(printer);

    EXPECT_TRUE(prompter.asked.isEmpty()) << prompter.asked.join(QLatin1Char('\n')).toStdString();
    const QString pdf = printer.lastPdf();
    ASSERT_TRUE(QFileInfo(pdf).isFile()) << pdf.toStdString();
    EXPECT_EQ(printer.orientation(), Orientation::Portrait); // set back after the page

    const PdfInfo info = pdfInfo(pdf);
    EXPECT_EQ(info.pages, 1);
    EXPECT_GT(info.width, info.height);

    const QString text = pdfText(pdf);
    for (const QString& expected :
         {QStringLiteral("MUNKALAP"), kCompany, squeezed(kFooter), u("Dátum és idő:"), u("Munkalap száma:"),
          QStringLiteral("12/2013"), u("Nyomtató javítása"), u("Görgő csere, tisztítás."),
          u("Beállítás és próbanyomtatás."), u("Bruttó:")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString() << "\nnot in:\n" << text.toStdString();
    // The description's line end holds: its two lines do not run together.
    EXPECT_FALSE(text.contains(u("tisztítás. Beállítás")));
    // The buttons are no part of the page.
    EXPECT_FALSE(text.contains(QStringLiteral("Nyomtat\n")));
    EXPECT_FALSE(text.contains(u("Mégse")));
}

TEST_F(QtPrinterTest, WithoutAQueuePagesGoIntoTheFallbackFolderNamedByTime) {
    const QString folder = tmp.filePath(u("Nyomtatás"));
    ASSERT_FALSE(QFileInfo::exists(folder));
    QtPrinter printer(folder);
    printer.setForcePdf(true);

    Page page;
    page.twips = QSize(14685, 10020);
    PageCell cell;
    cell.name = QStringLiteral("Label1");
    cell.twips = QRect(6000, 240, 4000, 300);
    cell.family = QStringLiteral("Times New Roman");
    cell.points = 12;
    cell.text = u("BESZÁLLÍTÓK - BERAKTÁROZÓK");
    page.cells = {cell};

    ASSERT_TRUE(printer.printPage(page));
    const QFileInfo first(printer.lastPdf());
    EXPECT_EQ(first.absolutePath(), QFileInfo(folder).absoluteFilePath());
    const QRegularExpression stamp(
        QStringLiteral("^(\\d{4}-\\d\\d-\\d\\d_\\d\\d-\\d\\d-\\d\\d)(-\\d+)?\\.pdf$"));
    const auto m = stamp.match(first.fileName());
    ASSERT_TRUE(m.hasMatch()) << first.fileName().toStdString();
    const QDateTime when = QDateTime::fromString(m.captured(1), QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
    ASSERT_TRUE(when.isValid());
    EXPECT_LE(std::abs(when.secsTo(QDateTime::currentDateTime())), 60);
    EXPECT_TRUE(pdfText(first.filePath()).contains(cell.text));
    EXPECT_EQ(pdfInfo(first.filePath()).pages, 1);

    // A name already taken gets a number: take every name of the next few seconds.
    const QDateTime now = QDateTime::currentDateTime();
    QSet<QString> taken;
    for (int s = 0; s < 10; ++s) {
        const QString base = now.addSecs(s).toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        QFile f(QDir(folder).filePath(base + QStringLiteral(".pdf")));
        ASSERT_TRUE(f.exists() || f.open(QIODevice::WriteOnly));
        taken.insert(base);
    }
    ASSERT_TRUE(printer.printPage(page));
    const auto second = stamp.match(QFileInfo(printer.lastPdf()).fileName());
    ASSERT_TRUE(second.hasMatch()) << printer.lastPdf().toStdString();
    EXPECT_TRUE(taken.contains(second.captured(1)));
    EXPECT_EQ(second.captured(2), QStringLiteral("-2"));
    EXPECT_EQ(pdfInfo(printer.lastPdf()).pages, 1);
}

TEST_F(QtPrinterTest, PortraitAndLandscapeStayUntilChanged) {
    QtPrinter printer(tmp.path());
    printer.setForcePdf(true);
    EXPECT_EQ(printer.orientation(), Orientation::Portrait);
    Page page;
    page.twips = QSize(7200, 7200);
    for (const Orientation o : {Orientation::Landscape, Orientation::Portrait}) {
        ASSERT_TRUE(printer.setOrientation(o));
        EXPECT_EQ(printer.orientation(), o);
        for (int i = 0; i < 2; ++i) {
            ASSERT_TRUE(printer.printPage(page));
            const PdfInfo info = pdfInfo(printer.lastPdf());
            EXPECT_EQ(info.width > info.height, o == Orientation::Landscape);
        }
    }
}

TEST_F(QtPrinterTest, AFolderThatCannotBeMadeMeansNotReady) {
    // A file where the folder should be.
    const QString blocker = tmp.filePath(QStringLiteral("blocker"));
    {
        QFile f(blocker);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QtPrinter printer(blocker + u("/Nyomtatás"));
    printer.setForcePdf(true);
    EXPECT_TRUE(printer.setOrientation(Orientation::Landscape)); // no printer is no reason to stop
    EXPECT_FALSE(printer.printPage(Page{}));
    EXPECT_TRUE(printer.printText(QStringLiteral("sor")));
    EXPECT_FALSE(printer.endDocument());
    EXPECT_TRUE(printer.lastPdf().isEmpty());

    // Through a layout window it is the not-ready message, and the window stays usable.
    prompter.expectMessage(msg::kFigyelem, u("A nyomtató nincs készenlétben!"), Icon::Error, Buttons::Ok,
                           Answer::Ok);
    printCertificate(printer);
    EXPECT_TRUE(prompter.done());
    EXPECT_EQ(prompter.beeps, 1);
}

TEST_F(QtPrinterTest, ATextDocumentBreaksIntoLinesAndPages) {
    QtPrinter printer(tmp.path());
    printer.setForcePdf(true);
    EXPECT_TRUE(printer.endDocument()); // nothing to send
    EXPECT_TRUE(printer.lastPdf().isEmpty());

    ASSERT_TRUE(printer.setOrientation(Orientation::Landscape));
    ASSERT_TRUE(printer.printText(u("Napló – Árvíztűrő tükörfúrógép")));
    // A log line with its own line ends.
    ASSERT_TRUE(printer.printText(QStringLiteral("elso sor\r\nmasodik sor")));
    QStringList words;
    for (int i = 0; i < 120; ++i)
        words << QStringLiteral("szo%1").arg(i, 3, 10, QLatin1Char('0'));
    ASSERT_TRUE(printer.printText(words.join(QLatin1Char(' ')))); // far wider than the page
    for (int i = 1; i <= 150; ++i)
        ASSERT_TRUE(printer.printText(QStringLiteral("sor %1.").arg(i)));
    ASSERT_TRUE(printer.endDocument());

    const QString pdf = printer.lastPdf();
    ASSERT_TRUE(QFileInfo(pdf).isFile());
    const PdfInfo info = pdfInfo(pdf);
    EXPECT_GT(info.pages, 1);
    EXPECT_GT(info.width, info.height);
    const QString text = pdfText(pdf);
    for (const QString& expected :
         {u("Napló – Árvíztűrő tükörfúrógép"), QStringLiteral("elso sor"), QStringLiteral("masodik sor"),
          QStringLiteral("sor 1."), QStringLiteral("sor 150.")})
        EXPECT_TRUE(text.contains(expected)) << expected.toStdString();
    EXPECT_FALSE(text.contains(QStringLiteral("elso sor masodik"))); // the line end kept
    for (const QString& w : words)
        EXPECT_TRUE(text.contains(w)) << w.toStdString() << " lost in wrapping";
    // Lines come in order, each once.
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("\\bsor 150\\."))), 1);
    EXPECT_LT(text.indexOf(QStringLiteral("sor 9.")), text.indexOf(QStringLiteral("sor 10.")));

    // The document was sent: the next one starts empty.
    ASSERT_TRUE(printer.printText(QStringLiteral("uj dokumentum")));
    ASSERT_TRUE(printer.endDocument());
    ASSERT_NE(printer.lastPdf(), pdf);
    const QString next = pdfText(printer.lastPdf());
    EXPECT_TRUE(next.contains(QStringLiteral("uj dokumentum")));
    EXPECT_FALSE(next.contains(QStringLiteral("sor 150.")));
    EXPECT_EQ(pdfInfo(printer.lastPdf()).pages, 1);
}

// Where the test queue writes its PDF files: set by scripts/print-queue.sh's caller, else the queue's
// default.
QString queueOutput() {
    const QString configured = qEnvironmentVariable("LAPORA_PRINT_QUEUE_OUT");
    return configured.isEmpty() ? QDir::home().filePath(QStringLiteral("PDF")) : configured;
}

// PDF files of a folder with their sizes.
QMap<QString, qint64> pdfsIn(const QString& folder) {
    QMap<QString, qint64> files;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files))
        files.insert(f.absoluteFilePath(), f.size());
    return files;
}

TEST_F(QtPrinterTest, APageGoesThroughTheDefaultQueue) {
    QtPrinter printer(tmp.filePath(u("Nyomtatás")));
    if (!printer.hasQueue()) {
        // CI starts a queue before the tests: there a missing one is a fault, not a reason to skip.
        if (qgetenv("CI") == "true")
            FAIL() << "no default print queue under CI (scripts/print-queue.sh start makes one)";
        GTEST_SKIP() << "no default print queue (scripts/print-queue.sh start makes one)";
    }
    const QString out = queueOutput();
    const QMap<QString, qint64> before = pdfsIn(out);
    // The page's own mark tells it from any other job.
    const QString mark = QUuid::createUuid().toString(QUuid::WithoutBraces).left(8);
    printCertificate(printer, mark);
    EXPECT_TRUE(prompter.asked.isEmpty()) << prompter.asked.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(printer.lastPdf().isEmpty()); // spooled, not a fallback file
    EXPECT_FALSE(QFileInfo::exists(tmp.filePath(u("Nyomtatás"))));

    // The queue works on its own time: wait for a new file that holds the mark.
    QString found;
    QElapsedTimer timer;
    timer.start();
    while (found.isEmpty() && timer.elapsed() < 60000) {
        QTest::qWait(250);
        const QMap<QString, qint64> now = pdfsIn(out);
        for (auto it = now.begin(); it != now.end() && found.isEmpty(); ++it) {
            if (before.contains(it.key()) || it.value() == 0)
                continue;
            QTest::qWait(250);
            if (QFileInfo(it.key()).size() != it.value())
                continue; // still being written
            if (pdfText(it.key(), true).contains(mark))
                found = it.key();
        }
    }
    ASSERT_FALSE(found.isEmpty()) << "no PDF with " << mark.toStdString() << " in " << out.toStdString();
    EXPECT_EQ(pdfInfo(found).pages, 1);
    const QString text = pdfText(found);
    EXPECT_TRUE(text.contains(QStringLiteral("MUNKALAP"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("nyomtatva: 2013.03.04. 08:10:02"))) << text.toStdString();
    // A landscape page lies turned on the sheet: its title runs along the sheet's height.
    const QString boxes =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), found, QStringLiteral("-")});
    const auto title = QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" "
                                                         "xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">MUNKALAP<"))
                           .match(boxes);
    ASSERT_TRUE(title.hasMatch()) << boxes.toStdString();
    const PdfInfo info = pdfInfo(found);
    const double across = title.captured(3).toDouble() - title.captured(1).toDouble();
    const double along = title.captured(4).toDouble() - title.captured(2).toDouble();
    EXPECT_EQ(along > across, info.height > info.width) << "title " << across << " x " << along;
    QFile::remove(found);
}

} // namespace
