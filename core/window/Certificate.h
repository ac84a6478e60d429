#pragma once

#include <QString>

#include <utility>
#include <vector>

namespace lapora {

class View;
struct Session;

// The certificate page's cells from the current job sheet of the view, in the order they are written:
// Label2, Label45, Label6, Label7, Label8, Text1, Label11, Label13, Label15, Label17, Label18.
// StoreError when the row cannot be read.
std::vector<std::pair<QString, QString>> certificateCells(const View& jobs, const Session& session);

// The cells emptied first, when the page comes into being.
const std::vector<QString>& certificateClearedCells();

} // namespace lapora
