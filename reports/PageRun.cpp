#include "PageRun.h"

namespace lapora {

bool runPages(std::size_t rows, int perPage, const std::function<void(int, std::size_t)>& fill,
              const std::function<bool(int, bool, std::size_t)>& show) {
    int page = 1;
    int slot = 1;
    std::size_t next = 0;
    for (;;) {
        if (next >= rows) {
            show(page, true, next);
            return true;
        }
        fill(slot, next);
        ++next;
        ++slot;
        if (slot == perPage + 1) {
            if (!show(page, false, next))
                return false;
            ++page;
            slot = 1;
        }
    }
}

} // namespace lapora
