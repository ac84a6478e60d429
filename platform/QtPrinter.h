#pragma once

#include "Printer.h"

#include <QString>
#include <QStringList>

#include <memory>

class QPrinter;
class QPainter;

namespace lapora {

// The system's default print queue through QPrinter (CUPS on Linux). With no print queue at all, every page
// or document goes into a PDF file in the fallback folder (the working folder's "Nyomtatás"), named by date
// and time, so a user without a printer still gets the page.
class QtPrinter : public Printer {
public:
    explicit QtPrinter(const QString& pdfFolder);
    ~QtPrinter() override;
    bool setOrientation(Orientation o) override;
    Orientation orientation() const override { return orientation_; }
    bool printPage(const Page& page) override;
    bool printText(const QString& text) override;
    bool endDocument() override;

    bool hasQueue() const;                        // a default print queue exists
    QString lastPdf() const { return lastPdf_; }  // the file written when there was no queue
    void setForcePdf(bool on) { forcePdf_ = on; } // tests: write PDFs even where a queue exists

private:
    bool prepare(QPrinter& printer, QString& pdf) const;
    bool finish(QPrinter& printer, QPainter& painter, const QString& pdf);

    QString pdfFolder_;
    Orientation orientation_ = Orientation::Portrait;
    QStringList pendingText_;
    QString lastPdf_;
    bool forcePdf_ = false;
};

} // namespace lapora
