#pragma once

#include "Printer.h"

#include <QColor>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>

#include <map>
#include <vector>

class QLabel;
class QPainter;
class QPushButton;

namespace lapora {

struct Session;

// A page layout described once as data: the window builds its widgets from it and the printer paints the same
// cells, so a printed page keeps real text and fonts.
struct CellDesign {
    QString name;
    int left = 0, top = 0;     // twips
    int width = 0, height = 0; // twips; 0: the width of the text, one line
    QString family;            // design face ("Times New Roman", "Arial"); empty: the window's default font
    double points = 8.25;
    bool bold = false, underline = false, italic = false;
    QString text; // design text
    QColor color = Qt::black;
    QColor background;      // invalid: transparent
    bool multiLine = false; // a multi-line text box
};

struct ButtonDesign {
    QString name;    // Command1..3
    QString caption; // "Tovább", "Nyomtat", "Mégse"
    int left = 0, top = 0, width = 0, height = 615;
};

struct LayoutDesign {
    QString windowName;                 // MunkaNyomFormX, MunkaNyomTetelFormX, BeszallitoNyomFormX
    QSize twips;                        // the client area: the page
    QColor background;                  // invalid: the system's window colour
    bool frameOffWhilePrinting = false; // the job list and the certificate print without their frame
    bool sizableFrame = true;
    std::vector<CellDesign> cells;
    std::vector<ButtonDesign> buttons;
};

// A cell's box on the page, in twips: its given size, or one line of its font reaching from its left edge to
// just before the next cell on its line (or to the page's right edge). Its text shows only inside it, on
// screen and on paper.
QRect cellBox(const LayoutDesign& design, const CellDesign& cell);

const LayoutDesign& jobListLayout();     // MunkaNyomFormX
const LayoutDesign& certificateLayout(); // MunkaNyomTetelFormX
const LayoutDesign& companyListLayout(); // BeszallitoNyomFormX

// A page-layout window: a fresh one for every showing, built from its design (coming into being clears the
// session's cancel flag). "Tovább" and closing by the frame close it; "Mégse" sets the cancel flag and closes
// it; "Nyomtat" prints the page landscape through the session's printer and leaves the window open.
class PageLayoutWindow : public QWidget {
    Q_OBJECT
public:
    PageLayoutWindow(const LayoutDesign& design, Session& session, QWidget* parent = nullptr);
    ~PageLayoutWindow() override;

    void setCellText(const QString& cell, const QString& text); // unknown cells are ignored
    QString cellText(const QString& cell) const;
    const LayoutDesign& design() const { return design_; }
    // The page as it stands: visible cells with their current texts, in twips.
    Page page() const;

    void print();  // "Nyomtat"
    void next();   // "Tovább"
    void cancel(); // "Mégse"

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void setFrame(bool on);
    void setButtonsVisible(bool on);

    const LayoutDesign& design_;
    Session& session_;
    std::map<QString, QWidget*> cells_;
    std::vector<QPushButton*> buttons_;
};

// Paints a page with QPainter in twips onto a device of the given resolution (the printer or an image).
void paintPage(QPainter& painter, const Page& page, double dpiX, double dpiY);

} // namespace lapora
