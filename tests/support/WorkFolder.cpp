#include "WorkFolder.h"

#include "Templates.h"

#include <QDir>

namespace lapora::test {

WorkFolder::WorkFolder(bool withDataFiles) {
    previous_ = QDir::currentPath();
    if (withDataFiles)
        schema::prepareWorkFolder(dir_.path(), templateDir());
    QDir::setCurrent(dir_.path());
}

WorkFolder::~WorkFolder() {
    QDir::setCurrent(previous_);
}

QString WorkFolder::file(const QString& name) const {
    return QDir(dir_.path()).filePath(name);
}

QString testData(const QString& relative) {
    return QDir(QStringLiteral(LAPORA_TEST_DATA)).filePath(relative);
}

QString templateDir() {
    return QStringLiteral(LAPORA_TEMPLATE_DIR);
}

} // namespace lapora::test
