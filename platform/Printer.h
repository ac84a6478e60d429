#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

namespace lapora {

enum class Orientation { Portrait, Landscape };

// One text cell of a printed page, in twips (1/1440 inch) from the page's top-left corner.
struct PageCell {
    QString name;
    QRect twips;       // left, top, width, height
    QString family;    // design face, e.g. "Times New Roman"
    double points = 0; // size in points
    bool bold = false;
    bool underline = false;
    bool italic = false;
    QString text;
    QColor color = Qt::black;
    QColor background; // invalid: transparent
    bool multiLine = false;
    bool framed = false; // a text box's border
};

// A page-layout window's image: its size in twips, its background and its visible cells.
struct Page {
    QSize twips;
    QColor background = Qt::white;
    std::vector<PageCell> cells;
};

// The system's default printer. Every call reports whether it worked; any failure means "not ready".
class Printer {
public:
    virtual ~Printer() = default;
    virtual bool setOrientation(Orientation o) = 0; // stays for the rest of the run
    virtual Orientation orientation() const = 0;
    virtual bool printPage(const Page& page) = 0;    // one page, at the page's own size, from the top-left
    virtual bool printText(const QString& text) = 0; // appends text and a line end to the current document
    virtual bool endDocument() = 0;                  // sends the current document
};

} // namespace lapora
