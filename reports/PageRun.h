#pragma once

#include <cstddef>
#include <functional>

namespace lapora {

// A list printed a fixed number of rows a page, each page shown in its page-layout window. The run works on
// the caller's own copy of the rows, so nothing that happens while a page is shown can move it.
// fill(slot, row) writes row `row` (from 0) into slot `slot` (from 1) of the page being made.
// show(page, last, next) shows the page made (`next`: the first row not on a page yet) and returns false when
// the user left it with "Mégse". A page is shown as soon as its last slot is filled, and the page that holds
// the end of the rows once they have run out, so a full last page is followed by one page without rows.
// Returns true when the last page was shown, whatever the user chose on it; false when the run stopped
// before it.
bool runPages(std::size_t rows, int perPage, const std::function<void(int slot, std::size_t row)>& fill,
              const std::function<bool(int page, bool last, std::size_t next)>& show);

} // namespace lapora
