#pragma once

#include "Printer.h"

#include <QStringList>

#include <vector>

namespace lapora::test {

// Records what would have been printed; can be told to fail ("not ready").
class RecordingPrinter : public Printer {
public:
    bool setOrientation(Orientation o) override {
        orientations.push_back(o);
        if (failing)
            return false;
        orientation_ = o;
        return true;
    }
    Orientation orientation() const override { return orientation_; }
    bool printPage(const Page& page) override {
        if (failing)
            return false;
        pages.push_back(page);
        pageOrientations.push_back(orientation_);
        return true;
    }
    bool printText(const QString& text) override {
        if (failing)
            return false;
        document << text;
        return true;
    }
    bool endDocument() override {
        if (failing)
            return false;
        documents.push_back(document);
        document.clear();
        return true;
    }
    // The texts of a printed page's cells by name.
    static QString cell(const Page& page, const QString& name) {
        for (const auto& c : page.cells)
            if (c.name == name)
                return c.text;
        return QString();
    }

    bool failing = false;
    std::vector<Page> pages;
    std::vector<Orientation> pageOrientations;
    std::vector<Orientation> orientations;
    QStringList document;
    std::vector<QStringList> documents;

private:
    Orientation orientation_ = Orientation::Portrait;
};

} // namespace lapora::test
