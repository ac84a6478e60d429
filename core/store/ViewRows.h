#pragma once

#include "StoreError.h"
#include "View.h"

namespace lapora {

// Whether a view is open and holds a row; a view that cannot tell counts as empty, as the windows' commands
// test it before they touch a row.
inline bool hasRows(const View& v) {
    try {
        return v.isOpen() && v.recordCount() >= 1;
    } catch (const StoreError&) {
        return false;
    }
}

} // namespace lapora
