#pragma once

#include "QtPrinters.h"
#include <QString>

#include <QTemporaryDir>

#include <memory>

namespace lapora::test {

// A temporary working folder with fresh data files made from the built templates; the process's current
// folder moves into it for the test's lifetime, as the program opens its files by bare name.
class WorkFolder {
public:
    explicit WorkFolder(bool withDataFiles = true);
    ~WorkFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};

QString testData(const QString& relative); // path under tests/data
QString templateDir();

} // namespace lapora::test
