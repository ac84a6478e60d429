#include "PageLayout.h"

#include "Imprint.h"
#include "Messages.h"
#include "Prompter.h"
#include "Session.h"
#include "Twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetricsF>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace lapora {

namespace {

const QString kTnr = QStringLiteral("Times New Roman");
const QColor kImprintBlue(0, 0, 64);
const QColor kButtonYellow(255, 255, 0);

CellDesign text(const QString& name, int left, int top, double points, const QString& design,
                bool bold = false, bool underline = false) {
    CellDesign c;
    c.name = name;
    c.left = left;
    c.top = top;
    c.family = kTnr;
    c.points = points;
    c.bold = bold;
    c.underline = underline;
    c.text = design;
    return c;
}

CellDesign title(const QString& name, int left, int top, const QString& design) {
    return text(name, left, top, 12, design, true, true);
}

CellDesign heading(const QString& name, int left, int top, const QString& design) {
    return text(name, left, top, 9.75, design, true, true);
}

CellDesign plain(const QString& name, int left, int top, const QString& design) {
    return text(name, left, top, 9.75, design);
}

// A closing line: a fixed box in the window's default font.
CellDesign closing(const QString& name, int left, int top, int width, int height) {
    CellDesign c;
    c.name = name;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.text = QStringLiteral("-");
    return c;
}

// The maker's small mark in the top-left corner; nothing writes it.
CellDesign imprintMark(const QString& name) {
    CellDesign c;
    c.name = name;
    c.family = QStringLiteral("Arial");
    c.points = 6;
    c.text = imprint::oneLine();
    c.color = kImprintBlue;
    return c;
}

CellDesign footer(int top) {
    return text(QStringLiteral("Label45"), 240, top, 9.75, imprint::oneLine(), true);
}

QString label(int n) {
    return QStringLiteral("Label%1").arg(n);
}

std::vector<ButtonDesign> buttons(int left1, int left2, int left3, int width1, int width2, int width3,
                                  int top) {
    return {{QStringLiteral("Command1"), QStringLiteral("Tovább"), left1, top, width1, 615},
            {QStringLiteral("Command2"), QStringLiteral("Nyomtat"), left2, top, width2, 615},
            {QStringLiteral("Command3"), QStringLiteral("Mégse"), left3, top, width3, 615}};
}

const QString kCompanyColumn = QStringLiteral("Cég neve, irszám, székhely, címe");

LayoutDesign makeJobList() {
    LayoutDesign d;
    d.windowName = QStringLiteral("MunkaNyomFormX");
    d.twips = QSize(13035, 8985);
    d.background = Qt::white;
    d.frameOffWhilePrinting = true;
    const int lefts[3] = {240, 2640, 11400};
    auto& c = d.cells;
    c.push_back(title(label(1), 6000, 600, QStringLiteral("MUNKALAP")));
    c.push_back(text(label(2), 240, 1080, 9.75, kCompanyColumn, true));
    c.push_back(heading(label(3), lefts[0], 1440, QStringLiteral("Dátum és idő:")));
    c.push_back(heading(label(4), lefts[1], 1440, QStringLiteral("Elvégzett munka röviden:")));
    c.push_back(heading(label(5), lefts[2], 1440, QStringLiteral("Munkalap száma:")));
    for (int k = 1; k <= 13; ++k)
        for (int col = 0; col < 3; ++col) {
            const int n = 3 * k + 3 + col;
            CellDesign cell = plain(label(n), lefts[col], 1800 + 480 * (k - 1), QStringLiteral("-"));
            if (n == 41)
                cell.points = 8.25; // the one smaller cell of the design
            c.push_back(cell);
        }
    c.push_back(closing(label(47), 240, 8040, 12615, 375));
    c.push_back(footer(8640));
    c.push_back(imprintMark(label(46)));
    d.buttons = buttons(9120, 10560, 11880, 1215, 1095, 1095, 120);
    return d;
}

LayoutDesign makeCertificate() {
    LayoutDesign d;
    d.windowName = QStringLiteral("MunkaNyomTetelFormX");
    d.twips = QSize(14700, 9720);
    d.frameOffWhilePrinting = true;
    auto& c = d.cells;
    c.push_back(title(label(1), 6000, 240, QStringLiteral("MUNKALAP")));
    c.push_back(text(label(2), 240, 720, 9.75, kCompanyColumn, true));
    c.push_back(heading(label(3), 240, 1080, QStringLiteral("Dátum és idő:")));
    c.push_back(heading(label(4), 2640, 1080, QStringLiteral("Elvégzett munka röviden:")));
    c.push_back(heading(label(5), 11280, 1080, QStringLiteral("Munkalap száma:")));
    c.push_back(plain(label(6), 240, 1320, QStringLiteral("-")));
    c.push_back(plain(label(7), 2640, 1320, QStringLiteral("-")));
    c.push_back(plain(label(8), 11280, 1320, QStringLiteral("-")));
    const int lefts[4] = {240, 2640, 3720, 4920};
    const QString heads[4] = {QStringLiteral("Munkaóra:"), QStringLiteral("Nettó ár:"),
                              QStringLiteral("ÁFA%:"), QStringLiteral("Bruttó:")};
    for (int i = 0; i < 4; ++i)
        c.push_back(heading(label(10 + 2 * i), lefts[i], 1680, heads[i]));
    for (int i = 0; i < 4; ++i)
        c.push_back(plain(label(11 + 2 * i), lefts[i], 1920, QStringLiteral("-")));
    CellDesign box = closing(QStringLiteral("Text1"), 240, 2400, 14175, 5895);
    box.text.clear();
    box.background = Qt::white;
    box.multiLine = true;
    c.push_back(box);
    c.push_back(closing(label(18), 240, 8520, 14175, 735));
    c.push_back(footer(9360));
    c.push_back(imprintMark(label(9)));
    d.buttons = buttons(10080, 11520, 12840, 1215, 1095, 1095, 120);
    return d;
}

LayoutDesign makeCompanyList() {
    LayoutDesign d;
    d.windowName = QStringLiteral("BeszallitoNyomFormX");
    d.twips = QSize(14685, 10020);
    d.sizableFrame = false;
    auto& c = d.cells;
    const int lefts[6] = {360, 4320, 5640, 6480, 9360, 12840};
    const QString heads[6] = {QStringLiteral("Név:"),    QStringLiteral("Irányítószám:"),
                              QStringLiteral("Ország:"), QStringLiteral("Székhely:"),
                              QStringLiteral("Cím:"),    QStringLiteral("Telefon / FAX:")};
    c.push_back(plain(label(141), 360, 240, QStringLiteral("Lapszám:")));
    c.push_back(title(label(1), 6000, 240, QStringLiteral("BESZÁLLÍTÓK - BERAKTÁROZÓK")));
    for (int i = 0; i < 6; ++i)
        c.push_back(heading(label(2 + i), lefts[i], 840, heads[i]));
    for (int r = 1; r <= 22; ++r)
        for (int col = 0; col < 6; ++col) {
            CellDesign cell = plain(label(6 * r + 2 + col), lefts[col], 1200 + 360 * (r - 1),
                                    col == 5 ? QStringLiteral("/") : QStringLiteral("-"));
            cell.italic = cell.name == QLatin1String("Label74");
            c.push_back(cell);
        }
    c.push_back(plain(label(140), 360, 9360, QStringLiteral("Kiadva:")));
    c.push_back(imprintMark(label(142)));
    d.buttons = buttons(11400, 12480, 13560, 975, 975, 975, 0);
    return d;
}

// The windows' default font, used where a design names none.
const QString kDefaultFamily = QStringLiteral("MS Sans Serif");
constexpr double kDefaultPoints = 8.25;

QString familyOf(const CellDesign& c) {
    return c.family.isEmpty() ? kDefaultFamily : c.family;
}

double pointsOf(const CellDesign& c) {
    return c.family.isEmpty() ? kDefaultPoints : c.points;
}

QFont fontOf(const CellDesign& c) {
    QFont f(familyOf(c));
    f.setPointSizeF(pointsOf(c));
    f.setBold(c.bold);
    f.setUnderline(c.underline);
    f.setItalic(c.italic);
    return f;
}

// In twips coordinates a font's pixel is a twip: 20 to the point.
int twipsPixelSize(double points) {
    return std::max(1, static_cast<int>(std::lround(points * 20)));
}

QFont twipsFont(const QString& family, double points, bool bold, bool underline, bool italic) {
    QFont f(family);
    f.setPixelSize(twipsPixelSize(points));
    f.setBold(bold);
    f.setUnderline(underline);
    f.setItalic(italic);
    return f;
}

// The room kept free before the next cell on a line, so a cut text does not run into its neighbour's.
constexpr int kCellGapTwips = 60;

int lineHeight(const CellDesign& c) {
    const QFontMetricsF fm(twipsFont(familyOf(c), pointsOf(c), c.bold, c.underline, c.italic));
    return static_cast<int>(std::ceil(fm.height()));
}

// A text box's border and the gap between it and its text, in twips.
constexpr int kFrameTwips = 15;
constexpr int kBoxPaddingTwips = 60;

QIcon buttonIcon(const QStyle* style, const QString& name) {
    if (name == QLatin1String("Command1"))
        return style->standardIcon(QStyle::SP_ArrowRight);
    if (name == QLatin1String("Command2"))
        return QIcon::fromTheme(QStringLiteral("document-print"), style->standardIcon(QStyle::SP_FileIcon));
    return style->standardIcon(QStyle::SP_DialogCancelButton);
}

} // namespace

QRect cellBox(const LayoutDesign& design, const CellDesign& c) {
    if (c.width > 0)
        return QRect(c.left, c.top, c.width, c.height);
    const int height = lineHeight(c);
    int right = design.twips.width();
    for (const CellDesign& o : design.cells) {
        if (&o == &c || o.left <= c.left || o.left >= right)
            continue;
        const int oHeight = o.width > 0 ? o.height : lineHeight(o);
        if (o.top < c.top + height && c.top < o.top + oHeight)
            right = o.left - kCellGapTwips;
    }
    return QRect(c.left, c.top, std::max(0, right - c.left), height);
}

const LayoutDesign& jobListLayout() {
    static const LayoutDesign d = makeJobList();
    return d;
}

const LayoutDesign& certificateLayout() {
    static const LayoutDesign d = makeCertificate();
    return d;
}

const LayoutDesign& companyListLayout() {
    static const LayoutDesign d = makeCompanyList();
    return d;
}

PageLayoutWindow::PageLayoutWindow(const LayoutDesign& design, Session& session, QWidget* parent)
    : QWidget(parent, Qt::Window), design_(design), session_(session) {
    setObjectName(design.windowName);
    if (!design.sizableFrame)
        setWindowFlag(Qt::FramelessWindowHint, true);
    QFont windowFont(kDefaultFamily);
    windowFont.setPointSizeF(kDefaultPoints);
    setFont(windowFont);
    const QColor background =
        design.background.isValid() ? design.background : QApplication::palette().color(QPalette::Window);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(true);

    for (const CellDesign& c : design.cells) {
        auto* l = new QLabel(this);
        l->setObjectName(c.name);
        l->setTextFormat(Qt::PlainText);
        l->setFont(fontOf(c));
        QPalette lp = l->palette();
        lp.setColor(QPalette::WindowText, c.color);
        if (c.background.isValid()) {
            lp.setColor(QPalette::Window, c.background);
            l->setAutoFillBackground(true);
        }
        l->setPalette(lp);
        l->setText(c.text);
        // Every cell keeps its box: a long text is cut at the box's edge, as on paper.
        const QRect box = cellBox(design, c);
        QRect onScreen = twipsRect(box.left(), box.top(), box.width(), box.height());
        if (c.width == 0) // a screen font's hinted line can come out a pixel taller than the twips line
            onScreen.setHeight(
                std::max(onScreen.height(), static_cast<int>(std::ceil(QFontMetricsF(l->font()).height()))));
        l->setGeometry(onScreen);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        if (c.width > 0) {
            l->setWordWrap(true);
            if (c.multiLine) {
                l->setFrameShape(QFrame::Box);
                l->setMargin(twipsToPixels(kBoxPaddingTwips));
            }
        }
        cells_[c.name] = l;
    }
    for (const ButtonDesign& b : design.buttons) {
        auto* button = new QPushButton(buttonIcon(style(), b.name), b.caption, this);
        button->setObjectName(b.name);
        QPalette bp = button->palette();
        bp.setColor(QPalette::Button, kButtonYellow);
        button->setPalette(bp);
        button->setGeometry(twipsRect(b.left, b.top, b.width, b.height));
        buttons_.push_back(button);
        if (b.name == QLatin1String("Command1"))
            connect(button, &QPushButton::clicked, this, &PageLayoutWindow::next);
        else if (b.name == QLatin1String("Command2"))
            connect(button, &QPushButton::clicked, this, &PageLayoutWindow::print);
        else
            connect(button, &QPushButton::clicked, this, &PageLayoutWindow::cancel);
    }
    resize(twipsToPixels(design.twips.width()), twipsToPixels(design.twips.height(), Qt::Vertical));

    session_.layoutCancelled = false;
    session_.prompter.pointer(Pointer::Arrow);
}

PageLayoutWindow::~PageLayoutWindow() = default;

void PageLayoutWindow::setCellText(const QString& cell, const QString& text) {
    const auto it = cells_.find(cell);
    if (it == cells_.end())
        return;
    static_cast<QLabel*>(it->second)->setText(text);
}

QString PageLayoutWindow::cellText(const QString& cell) const {
    const auto it = cells_.find(cell);
    return it == cells_.end() ? QString() : static_cast<const QLabel*>(it->second)->text();
}

Page PageLayoutWindow::page() const {
    Page p;
    p.twips = design_.twips;
    p.background = palette().color(QPalette::Window);
    for (const CellDesign& c : design_.cells) {
        const auto it = cells_.find(c.name);
        if (it == cells_.end() || it->second->isHidden())
            continue;
        PageCell cell;
        cell.name = c.name;
        cell.family = familyOf(c);
        cell.points = pointsOf(c);
        cell.bold = c.bold;
        cell.underline = c.underline;
        cell.italic = c.italic;
        cell.text = static_cast<const QLabel*>(it->second)->text();
        cell.color = c.color;
        cell.background = c.background;
        cell.twips = cellBox(design_, c);
        if (c.width > 0) {
            cell.multiLine = true; // a fixed box wraps its words, as on screen
            cell.framed = c.multiLine;
        }
        p.cells.push_back(cell);
    }
    return p;
}

void PageLayoutWindow::setFrame(bool on) {
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::FramelessWindowHint, !on);
    if (wasVisible)
        show(); // changing the window's flags hides it
}

void PageLayoutWindow::setButtonsVisible(bool on) {
    for (QPushButton* b : buttons_)
        b->setVisible(on);
}

void PageLayoutWindow::print() {
    Prompter& prompter = session_.prompter;
    prompter.pointer(Pointer::Hourglass);
    setButtonsVisible(false);
    if (design_.frameOffWhilePrinting)
        setFrame(false);
    Printer* printer = session_.printer;
    const bool printed =
        printer && printer->setOrientation(Orientation::Landscape) && printer->printPage(page());
    if (!printed) {
        prompter.pointer(Pointer::Arrow);
        prompter.beep();
        prompter.message(msg::kFigyelem, msg::kNyomtatoNincsKesz, Icon::Error, Buttons::Ok);
        setButtonsVisible(true);
        return;
    }
    printer->setOrientation(Orientation::Portrait);
    if (design_.frameOffWhilePrinting)
        setFrame(true);
    setButtonsVisible(true);
    prompter.pointer(Pointer::Arrow);
}

void PageLayoutWindow::next() {
    close();
}

void PageLayoutWindow::cancel() {
    session_.layoutCancelled = true;
    close();
}

void PageLayoutWindow::closeEvent(QCloseEvent* e) {
    // Closing by the frame is "Tovább": the cancel flag stays as it is.
    e->accept();
}

void paintPage(QPainter& painter, const Page& page, double dpiX, double dpiY) {
    painter.save();
    painter.scale(dpiX / 1440.0, dpiY / 1440.0);
    const QRect sheet(QPoint(0, 0), page.twips);
    painter.setClipRect(sheet); // nothing runs past the form into the paper's margin
    painter.fillRect(sheet, page.background);
    for (const PageCell& c : page.cells) {
        if (c.background.isValid())
            painter.fillRect(c.twips, c.background);
        if (c.framed) {
            painter.setPen(QPen(Qt::black, kFrameTwips));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(c.twips);
        }
        // A cell's text stays in its own box: a long one is cut there, never written over its neighbour.
        painter.save();
        painter.setClipRect(c.twips, Qt::IntersectClip);
        painter.setFont(twipsFont(c.family, c.points, c.bold, c.underline, c.italic));
        painter.setPen(c.color);
        if (c.multiLine) {
            const int pad = c.framed ? kBoxPaddingTwips : 0;
            painter.drawText(c.twips.adjusted(pad, pad, -pad, -pad),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, c.text);
        } else {
            const QFontMetricsF fm(painter.font());
            painter.drawText(QPointF(c.twips.left(), c.twips.top() + fm.ascent()), c.text);
        }
        painter.restore();
    }
    painter.restore();
}

} // namespace lapora
