#include "QtPrinter.h"

#include "PageLayout.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextLayout>

namespace lapora {

namespace {

// A PDF page has no unprintable edge; this one stands in for a printer's, so nothing sits on the paper's rim.
const QMarginsF kPdfMarginsMm(10, 10, 10, 10);

QPageLayout::Orientation qtOrientation(Orientation o) {
    return o == Orientation::Landscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

// The plain text documents' face; "Times New Roman" maps to a metric-compatible font where it is missing.
QFont documentFont() {
    QFont f(QStringLiteral("Times New Roman"));
    f.setPointSizeF(10);
    return f;
}

} // namespace

QtPrinter::QtPrinter(const QString& pdfFolder) : pdfFolder_(pdfFolder) {}

QtPrinter::~QtPrinter() = default;

bool QtPrinter::setOrientation(Orientation o) {
    orientation_ = o;
    return true;
}

bool QtPrinter::hasQueue() const {
    return !QPrinterInfo::defaultPrinter().isNull();
}

// Points the printer at the default queue, or at a new PDF file in the fallback folder (its path in pdf).
bool QtPrinter::prepare(QPrinter& printer, QString& pdf) const {
    printer.setDocName(QStringLiteral("Lapora"));
    const bool toQueue = !forcePdf_ && hasQueue();
    if (toQueue) {
        printer.setPrinterName(QPrinterInfo::defaultPrinter().printerName());
    } else {
        if (!QDir().mkpath(pdfFolder_))
            return false;
        const QDir folder(pdfFolder_);
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
        pdf = folder.filePath(stamp + QStringLiteral(".pdf"));
        for (int n = 2; QFileInfo::exists(pdf); ++n)
            pdf = folder.filePath(QStringLiteral("%1-%2.pdf").arg(stamp).arg(n));
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(kPdfMarginsMm, QPageLayout::Millimeter);
    }
    printer.setPageOrientation(qtOrientation(orientation_));
    return printer.isValid();
}

// A PDF is whole when it ends with its end-of-file marker; a full disk cuts it short without the PDF
// writer noticing.
static bool pdfComplete(const QString& pdf) {
    QFile f(pdf);
    if (!f.open(QIODevice::ReadOnly) || f.size() < 8)
        return false;
    f.seek(std::max<qint64>(0, f.size() - 64));
    return f.readAll().contains("%%EOF");
}

bool QtPrinter::finish(QPrinter& printer, QPainter& painter, const QString& pdf) {
    const bool ended = painter.end();
    const bool ok = ended && printer.printerState() != QPrinter::Error &&
                    printer.printerState() != QPrinter::Aborted && (pdf.isEmpty() || pdfComplete(pdf));
    if (!ok) {
        // A partial file is no page: it goes, and the caller says the printer is not ready.
        if (!pdf.isEmpty())
            QFile::remove(pdf);
        return false;
    }
    if (!pdf.isEmpty())
        lastPdf_ = pdf;
    return true;
}

bool QtPrinter::printPage(const Page& page) {
    QPrinter printer(QPrinter::HighResolution);
    QString pdf;
    if (!prepare(printer, pdf))
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (!pdf.isEmpty())
            QFile::remove(pdf);
        return false;
    }
    // The painter's origin is the top-left of the printable area.
    paintPage(painter, page, printer.logicalDpiX(), printer.logicalDpiY());
    return finish(printer, painter, pdf);
}

bool QtPrinter::printText(const QString& text) {
    pendingText_ << text;
    return true;
}

bool QtPrinter::endDocument() {
    const QStringList texts = pendingText_;
    pendingText_.clear();
    if (texts.isEmpty())
        return true;

    QPrinter printer(QPrinter::HighResolution);
    QString pdf;
    if (!prepare(printer, pdf))
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        if (!pdf.isEmpty())
            QFile::remove(pdf);
        return false;
    }
    const QFont font = documentFont();
    painter.setFont(font);
    const QFontMetricsF fm(font, &printer);
    const double width = printer.width();
    const double height = printer.height();
    double y = 0;

    // Every text ends with a line end; its own line ends (CR LF or LF) break it further; long lines wrap at
    // words.
    QString all;
    for (const QString& t : texts)
        all += t + QLatin1Char('\n');
    all.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    all.chop(1);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    for (const QString& paragraph : all.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font, &printer);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine())
            line.setLineWidth(width);
        layout.endLayout();
        const int lines = std::max(1, layout.lineCount());
        for (int i = 0; i < lines; ++i) {
            if (y + fm.height() > height && y > 0) {
                if (!printer.newPage()) {
                    painter.end();
                    if (!pdf.isEmpty())
                        QFile::remove(pdf);
                    return false;
                }
                y = 0;
            }
            if (i < layout.lineCount()) {
                const QTextLine line = layout.lineAt(i);
                painter.drawText(QPointF(0, y + fm.ascent()),
                                 paragraph.mid(line.textStart(), line.textLength()));
            }
            y += fm.lineSpacing();
        }
    }
    return finish(printer, painter, pdf);
}

} // namespace lapora
