#include "Imprint.h"
#include "Messages.h"
#include "PageLayout.h"
#include "QtPrinters.h"
#include "RecordingPrinter.h"
#include "ScriptedPrompter.h"
#include "Session.h"
#include "TestRows.h"
#include "Twips.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using namespace lapora;
using namespace lapora::test;

namespace {

const QString kTnr = QStringLiteral("Times New Roman");
const QString kNotReady = u("A nyomtató nincs készenlétben!");

// A recording printer that can look at the window at the moment the page goes out.
class SpyPrinter : public RecordingPrinter {
public:
    bool printPage(const Page& page) override {
        if (onPrint)
            onPrint();
        return RecordingPrinter::printPage(page);
    }
    std::function<void()> onPrint;
};

struct Layout {
    const char* name;
    const LayoutDesign& (*design)();
};

const Layout kLayouts[] = {
    {"MunkaNyomFormX", &jobListLayout},
    {"MunkaNyomTetelFormX", &certificateLayout},
    {"BeszallitoNyomFormX", &companyListLayout},
};

class PageLayoutTest : public ::testing::Test {
protected:
    PageLayoutTest() : session(prompter, modal) { session.printer = &printer; }

    QLabel* labelOf(PageLayoutWindow& w, const QString& name) {
        auto* l = w.findChild<QLabel*>(name);
        EXPECT_NE(l, nullptr) << name.toStdString();
        return l;
    }
    QPushButton* button(PageLayoutWindow& w, const char* name) {
        auto* b = w.findChild<QPushButton*>(QString::fromLatin1(name));
        EXPECT_NE(b, nullptr) << name;
        return b;
    }
    bool buttonsVisible(PageLayoutWindow& w) {
        for (const char* n : {"Command1", "Command2", "Command3"}) {
            QPushButton* b = button(w, n);
            if (!b || !b->isVisible())
                return false;
        }
        return true;
    }
    static bool frameless(const QWidget& w) { return w.windowFlags().testFlag(Qt::FramelessWindowHint); }

    ScriptedPrompter prompter;
    TestModalHost modal;
    Session session;
    SpyPrinter printer;
};

// Design positions and fonts: one row of each kind of cell of the three layouts.
struct CellCase {
    const char* window;
    const char* cell;
    int left, top;
    const char* family; // nullptr: the window's default font
    double points;
    bool bold, underline, italic;
    const char* text; // nullptr: the maker's imprint
};

const CellCase kCells[] = {
    // job list
    {"MunkaNyomFormX", "Label1", 6000, 600, "Times New Roman", 12, true, true, false, "MUNKALAP"},
    {"MunkaNyomFormX", "Label2", 240, 1080, "Times New Roman", 9.75, true, false, false,
     "Cég neve, irszám, székhely, címe"},
    {"MunkaNyomFormX", "Label3", 240, 1440, "Times New Roman", 9.75, true, true, false, "Dátum és idő:"},
    {"MunkaNyomFormX", "Label4", 2640, 1440, "Times New Roman", 9.75, true, true, false,
     "Elvégzett munka röviden:"},
    {"MunkaNyomFormX", "Label5", 11400, 1440, "Times New Roman", 9.75, true, true, false, "Munkalap száma:"},
    {"MunkaNyomFormX", "Label6", 240, 1800, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomFormX", "Label10", 2640, 2280, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomFormX", "Label41", 11400, 7080, "Times New Roman", 8.25, false, false, false, "-"},
    {"MunkaNyomFormX", "Label44", 11400, 7560, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomFormX", "Label47", 240, 8040, nullptr, 0, false, false, false, "-"},
    {"MunkaNyomFormX", "Label45", 240, 8640, "Times New Roman", 9.75, true, false, false, nullptr},
    {"MunkaNyomFormX", "Label46", 0, 0, "Arial", 6, false, false, false, nullptr},
    // certificate
    {"MunkaNyomTetelFormX", "Label1", 6000, 240, "Times New Roman", 12, true, true, false, "MUNKALAP"},
    {"MunkaNyomTetelFormX", "Label2", 240, 720, "Times New Roman", 9.75, true, false, false,
     "Cég neve, irszám, székhely, címe"},
    {"MunkaNyomTetelFormX", "Label5", 11280, 1080, "Times New Roman", 9.75, true, true, false,
     "Munkalap száma:"},
    {"MunkaNyomTetelFormX", "Label7", 2640, 1320, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomTetelFormX", "Label8", 11280, 1320, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomTetelFormX", "Label10", 240, 1680, "Times New Roman", 9.75, true, true, false, "Munkaóra:"},
    {"MunkaNyomTetelFormX", "Label14", 3720, 1680, "Times New Roman", 9.75, true, true, false, "ÁFA%:"},
    {"MunkaNyomTetelFormX", "Label16", 4920, 1680, "Times New Roman", 9.75, true, true, false, "Bruttó:"},
    {"MunkaNyomTetelFormX", "Label13", 2640, 1920, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomTetelFormX", "Label17", 4920, 1920, "Times New Roman", 9.75, false, false, false, "-"},
    {"MunkaNyomTetelFormX", "Text1", 240, 2400, nullptr, 0, false, false, false, ""},
    {"MunkaNyomTetelFormX", "Label18", 240, 8520, nullptr, 0, false, false, false, "-"},
    {"MunkaNyomTetelFormX", "Label45", 240, 9360, "Times New Roman", 9.75, true, false, false, nullptr},
    {"MunkaNyomTetelFormX", "Label9", 0, 0, "Arial", 6, false, false, false, nullptr},
    // company list
    {"BeszallitoNyomFormX", "Label141", 360, 240, "Times New Roman", 9.75, false, false, false, "Lapszám:"},
    {"BeszallitoNyomFormX", "Label1", 6000, 240, "Times New Roman", 12, true, true, false,
     "BESZÁLLÍTÓK - BERAKTÁROZÓK"},
    {"BeszallitoNyomFormX", "Label2", 360, 840, "Times New Roman", 9.75, true, true, false, "Név:"},
    {"BeszallitoNyomFormX", "Label3", 4320, 840, "Times New Roman", 9.75, true, true, false, "Irányítószám:"},
    {"BeszallitoNyomFormX", "Label7", 12840, 840, "Times New Roman", 9.75, true, true, false,
     "Telefon / FAX:"},
    {"BeszallitoNyomFormX", "Label8", 360, 1200, "Times New Roman", 9.75, false, false, false, "-"},
    {"BeszallitoNyomFormX", "Label13", 12840, 1200, "Times New Roman", 9.75, false, false, false, "/"},
    {"BeszallitoNyomFormX", "Label74", 360, 5160, "Times New Roman", 9.75, false, false, true, "-"},
    {"BeszallitoNyomFormX", "Label75", 4320, 5160, "Times New Roman", 9.75, false, false, false, "-"},
    {"BeszallitoNyomFormX", "Label139", 12840, 8760, "Times New Roman", 9.75, false, false, false, "/"},
    {"BeszallitoNyomFormX", "Label140", 360, 9360, "Times New Roman", 9.75, false, false, false, "Kiadva:"},
    {"BeszallitoNyomFormX", "Label142", 0, 0, "Arial", 6, false, false, false, nullptr},
};

const LayoutDesign& designOf(const char* window) {
    for (const Layout& l : kLayouts)
        if (QLatin1String(l.name) == QLatin1String(window))
            return l.design();
    ADD_FAILURE() << "no layout " << window;
    return jobListLayout();
}

TEST_F(PageLayoutTest, CellsSitAtTheirDesignPositionsWithTheirFontsAndTexts) {
    for (const CellCase& c : kCells) {
        SCOPED_TRACE(std::string(c.window) + " " + c.cell);
        PageLayoutWindow w(designOf(c.window), session);
        QLabel* l = labelOf(w, QString::fromLatin1(c.cell));
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->pos(), QPoint(twipsToPixels(c.left), twipsToPixels(c.top, Qt::Vertical)));
        const QString text = c.text ? u(c.text) : imprint::oneLine();
        EXPECT_EQ(l->text(), text);
        EXPECT_EQ(w.cellText(QString::fromLatin1(c.cell)), text);
        if (c.family) {
            EXPECT_EQ(l->font().family(), QString::fromLatin1(c.family));
            EXPECT_DOUBLE_EQ(l->font().pointSizeF(), c.points);
        } else {
            EXPECT_EQ(l->font(), w.font()); // the window's default
        }
        EXPECT_EQ(l->font().bold(), c.bold);
        EXPECT_EQ(l->font().underline(), c.underline);
        EXPECT_EQ(l->font().italic(), c.italic);

        // The page carries the same position and face.
        const Page page = w.page();
        const auto it = std::find_if(page.cells.begin(), page.cells.end(),
                                     [&](const PageCell& pc) { return pc.name == QLatin1String(c.cell); });
        ASSERT_NE(it, page.cells.end());
        EXPECT_EQ(it->twips.topLeft(), QPoint(c.left, c.top));
        EXPECT_EQ(it->text, text);
        EXPECT_EQ(it->bold, c.bold);
        EXPECT_EQ(it->underline, c.underline);
        EXPECT_EQ(it->italic, c.italic);
        if (c.family) {
            EXPECT_EQ(it->family, QString::fromLatin1(c.family));
            EXPECT_DOUBLE_EQ(it->points, c.points);
        }
    }
}

TEST_F(PageLayoutTest, EveryRowOfTheListsHasItsLabelsInPlace) {
    {
        PageLayoutWindow w(jobListLayout(), session);
        const int lefts[3] = {240, 2640, 11400};
        for (int k = 1; k <= 13; ++k)
            for (int col = 0; col < 3; ++col) {
                const QString name = QStringLiteral("Label%1").arg(3 * k + 3 + col);
                SCOPED_TRACE(name.toStdString());
                QLabel* l = labelOf(w, name);
                ASSERT_NE(l, nullptr);
                EXPECT_EQ(l->pos(), QPoint(twipsToPixels(lefts[col]),
                                           twipsToPixels(1800 + 480 * (k - 1), Qt::Vertical)));
                EXPECT_EQ(l->text(), QStringLiteral("-"));
                EXPECT_DOUBLE_EQ(l->font().pointSizeF(), name == QLatin1String("Label41") ? 8.25 : 9.75);
            }
    }
    {
        PageLayoutWindow w(companyListLayout(), session);
        const int lefts[6] = {360, 4320, 5640, 6480, 9360, 12840};
        for (int r = 1; r <= 22; ++r)
            for (int col = 0; col < 6; ++col) {
                const QString name = QStringLiteral("Label%1").arg(6 * r + 2 + col);
                SCOPED_TRACE(name.toStdString());
                QLabel* l = labelOf(w, name);
                ASSERT_NE(l, nullptr);
                EXPECT_EQ(l->pos(), QPoint(twipsToPixels(lefts[col]),
                                           twipsToPixels(1200 + 360 * (r - 1), Qt::Vertical)));
                EXPECT_EQ(l->text(), col == 5 ? QStringLiteral("/") : QStringLiteral("-"));
                EXPECT_EQ(l->font().italic(), name == QLatin1String("Label74"));
            }
    }
}

TEST_F(PageLayoutTest, FixedBoxesKeepTheirSizeAndWrap) {
    struct Box {
        const char* window;
        const char* cell;
        int width, height;
        bool framed;
    };
    const Box boxes[] = {
        {"MunkaNyomFormX", "Label47", 12615, 375, false},
        {"MunkaNyomTetelFormX", "Label18", 14175, 735, false},
        {"MunkaNyomTetelFormX", "Text1", 14175, 5895, true},
    };
    for (const Box& b : boxes) {
        SCOPED_TRACE(b.cell);
        PageLayoutWindow w(designOf(b.window), session);
        QLabel* l = labelOf(w, QString::fromLatin1(b.cell));
        ASSERT_NE(l, nullptr);
        const QString longText = QStringLiteral("szó ").repeated(400);
        w.setCellText(QString::fromLatin1(b.cell), longText);
        EXPECT_EQ(l->size(), QSize(twipsToPixels(b.width), twipsToPixels(b.height, Qt::Vertical)));
        EXPECT_TRUE(l->wordWrap());
        const Page page = w.page();
        const auto it = std::find_if(page.cells.begin(), page.cells.end(),
                                     [&](const PageCell& pc) { return pc.name == QLatin1String(b.cell); });
        ASSERT_NE(it, page.cells.end());
        EXPECT_EQ(it->twips.size(), QSize(b.width, b.height));
        EXPECT_TRUE(it->multiLine);
        EXPECT_EQ(it->framed, b.framed);
        EXPECT_EQ(it->text, longText);
    }
    PageLayoutWindow w(certificateLayout(), session);
    QLabel* box = labelOf(w, QStringLiteral("Text1"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_EQ(box->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_TRUE(box->autoFillBackground());
}

TEST_F(PageLayoutTest, ImprintMarksAreSmallDarkBlueArial) {
    for (const auto& [window, cell] :
         {std::pair{"MunkaNyomFormX", "Label46"}, std::pair{"MunkaNyomTetelFormX", "Label9"},
          std::pair{"BeszallitoNyomFormX", "Label142"}}) {
        SCOPED_TRACE(cell);
        PageLayoutWindow w(designOf(window), session);
        QLabel* l = labelOf(w, QString::fromLatin1(cell));
        ASSERT_NE(l, nullptr);
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0, 0, 64));
        const Page page = w.page();
        const auto it = std::find_if(page.cells.begin(), page.cells.end(),
                                     [&](const PageCell& pc) { return pc.name == QLatin1String(cell); });
        ASSERT_NE(it, page.cells.end());
        EXPECT_EQ(it->color, QColor(0, 0, 64));
        EXPECT_TRUE(it->text.contains(imprint::kMakerName));
    }
}

TEST_F(PageLayoutTest, ButtonsAreYellowAtTheirDesignPlaces) {
    struct ButtonCase {
        const char* window;
        int lefts[3];
        int widths[3];
        int top;
    };
    const ButtonCase cases[] = {
        {"MunkaNyomFormX", {9120, 10560, 11880}, {1215, 1095, 1095}, 120},
        {"MunkaNyomTetelFormX", {10080, 11520, 12840}, {1215, 1095, 1095}, 120},
        {"BeszallitoNyomFormX", {11400, 12480, 13560}, {975, 975, 975}, 0},
    };
    const char* names[3] = {"Command1", "Command2", "Command3"};
    const QString captions[3] = {u("Tovább"), u("Nyomtat"), u("Mégse")};
    for (const ButtonCase& c : cases) {
        PageLayoutWindow w(designOf(c.window), session);
        for (int i = 0; i < 3; ++i) {
            SCOPED_TRACE(std::string(c.window) + " " + names[i]);
            QPushButton* b = button(w, names[i]);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->text(), captions[i]);
            EXPECT_EQ(b->geometry(), twipsRect(c.lefts[i], c.top, c.widths[i], 615));
            EXPECT_EQ(b->palette().color(QPalette::Button), QColor(255, 255, 0));
            EXPECT_FALSE(b->icon().isNull());
        }
    }
}

TEST_F(PageLayoutTest, WindowsHaveThePageSizeBackgroundAndFrame) {
    struct PageCase {
        const char* window;
        QSize twips;
        bool white;
        bool frame;
    };
    const PageCase cases[] = {
        {"MunkaNyomFormX", {13035, 8985}, true, true},
        {"MunkaNyomTetelFormX", {14700, 9720}, false, true},
        {"BeszallitoNyomFormX", {14685, 10020}, false, false},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.window);
        PageLayoutWindow w(designOf(c.window), session);
        EXPECT_EQ(w.objectName(), QString::fromLatin1(c.window));
        EXPECT_EQ(w.size(),
                  QSize(twipsToPixels(c.twips.width()), twipsToPixels(c.twips.height(), Qt::Vertical)));
        EXPECT_EQ(frameless(w), !c.frame);
        const QColor background =
            c.white ? QColor(Qt::white) : QApplication::palette().color(QPalette::Window);
        EXPECT_EQ(w.palette().color(QPalette::Window), background);
        const Page page = w.page();
        EXPECT_EQ(page.twips, c.twips);
        EXPECT_EQ(page.background, background);
    }
}

TEST_F(PageLayoutTest, CellsKeepTheirBoxWhateverTheirText) {
    PageLayoutWindow w(certificateLayout(), session);
    struct BoxCase {
        const char* cell;
        QRect twips; // left, top, width; the height is one line of the cell's font
    };
    const BoxCase cases[] = {
        {"Label7", {2640, 1320, 11280 - 60 - 2640, 0}}, // the work: up to the number cell, a gap before it
        {"Label8", {11280, 1320, 14700 - 11280, 0}},
        {"Label2", {240, 720, 14700 - 240, 0}}, // alone on its line: up to the page's edge
        {"Label12", {2640, 1680, 3720 - 60 - 2640, 0}},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.cell);
        const QString name = QString::fromLatin1(c.cell);
        const QRect before = labelOf(w, name)->geometry();
        w.setCellText(name, QString(300, QLatin1Char('W')));
        EXPECT_EQ(labelOf(w, name)->geometry(), before);
        for (const PageCell& pc : w.page().cells)
            if (pc.name == name) {
                EXPECT_EQ(pc.twips.topLeft(), c.twips.topLeft());
                EXPECT_EQ(pc.twips.width(), c.twips.width());
                EXPECT_GT(pc.twips.height(), 150); // a 9.75 pt line
                EXPECT_LT(pc.twips.height(), 300);
                // On screen the same box, at least one line of the screen font high.
                const QRect r =
                    twipsRect(pc.twips.left(), pc.twips.top(), pc.twips.width(), pc.twips.height());
                EXPECT_EQ(before.topLeft(), r.topLeft());
                EXPECT_EQ(before.width(), r.width());
                EXPECT_GE(before.height(), r.height());
            }
    }
}

// Darkest pixel of an image region (0 black, 255 white): where something was drawn.
int darkest(const QImage& img, const QRect& r) {
    int best = 255;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            best = std::min(best, qGray(img.pixel(x, y)));
    return best;
}

// The certificate as printed at 150 dpi, on a larger sheet marked green where the page is not.
QImage render(const Page& page) {
    const double dpi = 150;
    QImage img(int(page.twips.width() * dpi / 1440) + 100, int(page.twips.height() * dpi / 1440) + 100,
               QImage::Format_RGB32);
    img.fill(Qt::green);
    QPainter p(&img);
    paintPage(p, page, dpi, dpi);
    return img;
}

QRect pixels(const QRect& twips) {
    const double k = 150.0 / 1440;
    return QRect(int(twips.left() * k), int(twips.top() * k), int(twips.width() * k),
                 int(twips.height() * k));
}

TEST_F(PageLayoutTest, ALongCellTextStaysInItsOwnBoxAndOnThePage) {
    PageLayoutWindow plain(certificateLayout(), session);
    PageLayoutWindow long_(certificateLayout(), session);
    for (PageLayoutWindow* w : {&plain, &long_}) {
        w->setCellText(QStringLiteral("Label8"), QStringLiteral("00123"));
        w->setCellText(QStringLiteral("Label6"), QStringLiteral("2013.05.07. 09:15:30"));
    }
    long_.setCellText(QStringLiteral("Label7"), QString(200, QLatin1Char('M')));
    long_.setCellText(QStringLiteral("Label2"), QString(300, QLatin1Char('M')));
    long_.setCellText(QStringLiteral("Label18"), QString::fromUtf8("Hosszú záró sor. ").repeated(40));
    const QImage a = render(plain.page());
    const QImage b = render(long_.page());
    QRect number;
    for (const PageCell& c : plain.page().cells)
        if (c.name == QLatin1String("Label8"))
            number = pixels(c.twips);
    ASSERT_FALSE(number.isEmpty());
    EXPECT_LT(darkest(a, number), 100); // the number is there
    int differing = 0;
    for (int y = number.top(); y <= number.bottom(); ++y)
        for (int x = number.left(); x <= number.right(); ++x)
            differing += a.pixel(x, y) != b.pixel(x, y);
    EXPECT_EQ(differing, 0) << "the work text ran into the number cell";
    // The work text itself was drawn, in its own box.
    const QRect work = pixels(QRect(2640, 1320, 11280 - 2640, 150));
    EXPECT_LT(darkest(b, work), 100);
    // Nothing lands beyond the page's right and bottom edges.
    const QRect page = pixels(QRect(QPoint(0, 0), certificateLayout().twips));
    for (int y = 0; y < b.height(); ++y)
        for (int x = page.right() + 2; x < b.width(); ++x)
            ASSERT_EQ(b.pixelColor(x, y), QColor(Qt::green)) << x << "," << y;
    for (int y = page.bottom() + 2; y < b.height(); ++y)
        for (int x = 0; x < b.width(); ++x)
            ASSERT_EQ(b.pixelColor(x, y), QColor(Qt::green)) << x << "," << y;
}

TEST_F(PageLayoutTest, TextsAreShownAsWrittenNotAsMarkup) {
    PageLayoutWindow w(certificateLayout(), session);
    const QString text = u("<b>Kovács & Társa</b>");
    w.setCellText(QStringLiteral("Label2"), text);
    EXPECT_EQ(labelOf(w, QStringLiteral("Label2"))->textFormat(), Qt::PlainText);
    EXPECT_EQ(w.cellText(QStringLiteral("Label2")), text);
    w.setCellText(QStringLiteral("NoSuchLabel"), text); // ignored
    EXPECT_TRUE(w.cellText(QStringLiteral("NoSuchLabel")).isEmpty());
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("NoSuchLabel")), nullptr);
}

TEST_F(PageLayoutTest, AFreshWindowShowsDesignTextsAndClearsTheCancelFlag) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        {
            PageLayoutWindow w(l.design(), session);
            w.setCellText(QStringLiteral("Label1"), QStringLiteral("IRT"));
            w.cancel();
        }
        ASSERT_TRUE(session.layoutCancelled);
        prompter.pointers.clear();
        PageLayoutWindow w(l.design(), session);
        EXPECT_FALSE(session.layoutCancelled);
        for (const CellDesign& c : l.design().cells)
            EXPECT_EQ(w.cellText(c.name), c.text) << c.name.toStdString();
        ASSERT_FALSE(prompter.pointers.empty());
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
    }
}

TEST_F(PageLayoutTest, NextClosesWithoutPrinting) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        PageLayoutWindow w(l.design(), session);
        w.show();
        QTest::mouseClick(button(w, "Command1"), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
        EXPECT_FALSE(session.layoutCancelled);
        EXPECT_TRUE(printer.pages.empty());
        EXPECT_TRUE(printer.orientations.empty());
    }
}

TEST_F(PageLayoutTest, CancelSetsTheFlagAndCloses) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        PageLayoutWindow w(l.design(), session);
        w.show();
        QTest::mouseClick(button(w, "Command3"), Qt::LeftButton);
        EXPECT_FALSE(w.isVisible());
        EXPECT_TRUE(session.layoutCancelled);
        EXPECT_TRUE(printer.pages.empty());
    }
}

TEST_F(PageLayoutTest, ClosingByTheFrameIsNext) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        PageLayoutWindow w(l.design(), session);
        w.show();
        EXPECT_TRUE(w.close());
        EXPECT_FALSE(w.isVisible());
        EXPECT_FALSE(session.layoutCancelled);
        EXPECT_TRUE(printer.pages.empty());
    }
}

TEST_F(PageLayoutTest, PrintSendsOneLandscapePageWithTheCurrentTexts) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        printer = SpyPrinter();
        PageLayoutWindow w(l.design(), session);
        w.show();
        prompter.pointers.clear();
        w.setCellText(QStringLiteral("Label1"), QStringLiteral("MUNKALAP"));
        w.setCellText(QStringLiteral("Label2"), u("Árvíztűrő Tükörfúrógép Kft."));
        w.setCellText(QStringLiteral("Label6"), QStringLiteral("2013.03.04. 8:10"));
        bool buttonsHidden = false, frameOff = false;
        printer.onPrint = [&] {
            buttonsHidden = true;
            for (const char* n : {"Command1", "Command2", "Command3"})
                buttonsHidden = buttonsHidden && button(w, n)->isHidden();
            frameOff = frameless(w);
        };
        QTest::mouseClick(button(w, "Command2"), Qt::LeftButton);

        ASSERT_EQ(printer.pages.size(), 1u);
        EXPECT_EQ(printer.pageOrientations[0], Orientation::Landscape);
        EXPECT_EQ(printer.orientation(), Orientation::Portrait);
        const Page& page = printer.pages[0];
        EXPECT_EQ(page.twips, l.design().twips);
        EXPECT_EQ(RecordingPrinter::cell(page, QStringLiteral("Label2")), u("Árvíztűrő Tükörfúrógép Kft."));
        EXPECT_EQ(RecordingPrinter::cell(page, QStringLiteral("Label6")), QStringLiteral("2013.03.04. 8:10"));
        // Untouched cells print their design text.
        EXPECT_EQ(RecordingPrinter::cell(page, QStringLiteral("Label3")),
                  w.cellText(QStringLiteral("Label3")));
        EXPECT_EQ(page.cells.size(), l.design().cells.size());
        for (const PageCell& c : page.cells)
            EXPECT_FALSE(c.name.startsWith(QLatin1String("Command")));

        EXPECT_TRUE(buttonsHidden);
        EXPECT_TRUE(frameOff); // the job list and the certificate drop it; the company list has none
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(buttonsVisible(w));
        EXPECT_EQ(frameless(w), !l.design().sizableFrame);
        EXPECT_FALSE(session.layoutCancelled);
        EXPECT_EQ(prompter.beeps, 0);
        EXPECT_TRUE(prompter.asked.isEmpty());
        ASSERT_GE(prompter.pointers.size(), 2u);
        EXPECT_EQ(prompter.pointers.front(), Pointer::Hourglass);
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);
    }
}

TEST_F(PageLayoutTest, PrintTwicePrintsTwice) {
    PageLayoutWindow w(certificateLayout(), session);
    w.show();
    w.setCellText(QStringLiteral("Label8"), QStringLiteral("12/2013"));
    w.print();
    w.setCellText(QStringLiteral("Label8"), QStringLiteral("13/2013"));
    w.print();
    ASSERT_EQ(printer.pages.size(), 2u);
    EXPECT_EQ(RecordingPrinter::cell(printer.pages[0], QStringLiteral("Label8")), QStringLiteral("12/2013"));
    EXPECT_EQ(RecordingPrinter::cell(printer.pages[1], QStringLiteral("Label8")), QStringLiteral("13/2013"));
    EXPECT_EQ(printer.pageOrientations,
              (std::vector<Orientation>{Orientation::Landscape, Orientation::Landscape}));
    EXPECT_EQ(printer.orientations,
              (std::vector<Orientation>{Orientation::Landscape, Orientation::Portrait, Orientation::Landscape,
                                        Orientation::Portrait}));
}

TEST_F(PageLayoutTest, ANotReadyPrinterIsReportedAndTheNextPrintWorks) {
    for (const Layout& l : kLayouts) {
        SCOPED_TRACE(l.name);
        printer = SpyPrinter();
        printer.failing = true;
        prompter.pointers.clear();
        prompter.beeps = 0;
        prompter.expectMessage(msg::kFigyelem, kNotReady, Icon::Error, Buttons::Ok, Answer::Ok);
        PageLayoutWindow w(l.design(), session);
        w.show();
        QTest::mouseClick(button(w, "Command2"), Qt::LeftButton);

        EXPECT_TRUE(prompter.done());
        EXPECT_EQ(prompter.beeps, 1);
        EXPECT_TRUE(printer.pages.empty());
        EXPECT_TRUE(buttonsVisible(w));
        EXPECT_TRUE(w.isVisible());
        EXPECT_TRUE(frameless(w)); // the frame stays off after a failure
        EXPECT_EQ(printer.orientations, std::vector<Orientation>{Orientation::Landscape});
        ASSERT_GE(prompter.pointers.size(), 2u);
        EXPECT_EQ(prompter.pointers.back(), Pointer::Arrow);

        printer.failing = false;
        w.print();
        ASSERT_EQ(printer.pages.size(), 1u);
        EXPECT_EQ(printer.pageOrientations[0], Orientation::Landscape);
        EXPECT_EQ(printer.orientation(), Orientation::Portrait);
        EXPECT_EQ(frameless(w), !l.design().sizableFrame);
        EXPECT_TRUE(buttonsVisible(w));
        EXPECT_EQ(prompter.beeps, 1);
    }
}

TEST_F(PageLayoutTest, NoPrinterAtAllIsNotReady) {
    session.printer = nullptr;
    prompter.expectMessage(msg::kFigyelem, kNotReady, Icon::Error, Buttons::Ok, Answer::Ok);
    PageLayoutWindow w(jobListLayout(), session);
    w.show();
    w.print();
    EXPECT_TRUE(prompter.done());
    EXPECT_TRUE(buttonsVisible(w));
    EXPECT_TRUE(w.isVisible());
}

TEST_F(PageLayoutTest, HiddenCellsAreLeftOffThePage) {
    PageLayoutWindow w(jobListLayout(), session);
    labelOf(w, QStringLiteral("Label47"))->hide();
    const Page page = w.page();
    for (const PageCell& c : page.cells)
        EXPECT_NE(c.name, QStringLiteral("Label47"));
    EXPECT_EQ(page.cells.size(), jobListLayout().cells.size() - 1);
}

TEST(PageLayoutPaint, CellsArePaintedInTwipsAtTheDeviceResolution) {
    Page page;
    page.twips = QSize(2880, 1440); // 2 × 1 inches
    page.background = QColor(200, 200, 255);
    PageCell text;
    text.name = QStringLiteral("Label1");
    text.twips = QRect(1440, 720, 600, 300);
    text.family = kTnr;
    text.points = 12;
    text.bold = true;
    text.text = QStringLiteral("MW");
    PageCell box;
    box.name = QStringLiteral("Text1");
    box.twips = QRect(144, 144, 720, 432);
    box.family = kTnr;
    box.points = 9.75;
    box.background = Qt::white;
    box.multiLine = true;
    box.framed = true;
    page.cells = {text, box};

    for (const int dpi : {72, 150}) {
        SCOPED_TRACE(dpi);
        QImage img(2 * dpi, dpi, QImage::Format_RGB32);
        img.fill(Qt::black);
        {
            QPainter p(&img);
            paintPage(p, page, dpi, dpi);
        }
        const double px = dpi / 1440.0;
        auto at = [&](int tx, int ty) { return img.pixelColor(int(tx * px), int(ty * px)); };
        EXPECT_EQ(at(2600, 100), page.background);  // the whole page gets its background
        EXPECT_EQ(at(500, 350), QColor(Qt::white)); // inside the box
        EXPECT_LT(qGray(at(144, 300).rgb()), 100);  // the box's left edge
        // The text lies inside its cell: dark pixels there, none just beyond its right end.
        const QRect cell(int(1440 * px), int(720 * px), int(600 * px), int(300 * px));
        EXPECT_LT(darkest(img, cell), 100);
        const QRect beyond(int(2200 * px), int(720 * px), int(400 * px), int(300 * px));
        EXPECT_EQ(darkest(img, beyond), qGray(page.background.rgb()));
    }
}

} // namespace
