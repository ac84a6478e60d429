#pragma once

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace lapora {
struct Session;
}

namespace lapora::shots {

// What an entry of the picture list gets: the session on the fixture working folder (the process's current
// folder) and that folder's path.
struct Context {
    Session& session;
    QString workFolder;
};

// One picture of a real window. open builds a window; if its objectName is window, that window is pictured.
// Otherwise act runs on it and the window named window is pictured when it is shown modally meanwhile.
struct Shot {
    QString file;   // under the output folder (docs/)
    QString window; // objectName of the window in the picture
    std::function<std::unique_ptr<QWidget>(Context&)> open;
    std::function<void(QWidget*)> act = {};
};

// The list of pictures: one table, in ShotList.cpp.
const std::vector<Shot>& shotList();

} // namespace lapora::shots
