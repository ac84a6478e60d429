// Makes a Jet 4 file whose table holds many rows out of one whose table holds a few, for the Jet reading
// figures on a long table of short rows. There is no Jet writer to build one with, so the table's rows are
// copied into new data pages appended to the file, taken in turns and packed as the engine packs a page
// (offsets from the header, rows from the page's end down); the first date column moves on a day with
// every round of copies, so the rows stay distinct. The new pages are marked in the table's usage map
// (the reference kind: bitmap pages covering the whole file) and the row count in its definition raised.
// Tables with indexes, rows spread over pages and inline usage maps are refused, not guessed at.
//
// Usage: jet_log_make SOURCE TABLE ROWS OUT   (ROWS: the table's row count in OUT)
// glib first: the library header opens an extern "C" block around it.
#include <glib.h>

#include <mdbtools.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr size_t kPage = 4096;
// Offsets in a Jet 4 table definition page and a data page.
constexpr size_t kDefRows = 16, kDefColumnCount = 45, kDefIndexCount = 51, kDefUsageMap = 55,
                 kDefColumns = 63, kIndexEntry = 12, kColumnEntry = 25;
constexpr size_t kDataFree = 2, kDataOwner = 4, kDataRowCount = 12, kDataOffsets = 14;
constexpr uint8_t kDataPage = 0x01, kDefPage = 0x02, kMapPage = 0x05, kDateTime = 8;
constexpr uint16_t kRowDeleted = 0x8000, kRowPointer = 0x4000, kRowOffsetMask = 0x1fff;

uint16_t get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t get32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
void put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void put32(uint8_t* p, uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

// The definition page of a table, found through the catalog.
uint32_t definitionPage(const std::string& file, const std::string& table) {
    MdbHandle* mdb = mdb_open(file.c_str(), MDB_NOFLAGS);
    if (!mdb)
        throw std::runtime_error("cannot open " + file);
    uint32_t page = 0;
    if (mdb_read_catalog(mdb, MDB_TABLE))
        for (unsigned i = 0; i < mdb->num_catalog; ++i) {
            auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
            if (table == entry->object_name)
                page = static_cast<uint32_t>(entry->table_pg);
        }
    mdb_close(mdb);
    if (!page)
        throw std::runtime_error("no table " + table + " in " + file);
    return page;
}

struct File {
    std::vector<uint8_t> bytes;
    uint8_t* page(uint32_t n) {
        if ((static_cast<size_t>(n) + 1) * kPage > bytes.size())
            throw std::runtime_error("page " + std::to_string(n) + " lies past the end of the file");
        return bytes.data() + static_cast<size_t>(n) * kPage;
    }
    uint32_t pages() const { return static_cast<uint32_t>(bytes.size() / kPage); }
};

// Start and end of row `r` on a data page (rows are laid from the page's end down), or {0, 0} for a
// deleted one.
std::pair<size_t, size_t> rowSpan(const uint8_t* page, unsigned r) {
    const uint16_t entry = get16(page + kDataOffsets + 2 * r);
    if (entry & kRowDeleted)
        return {0, 0};
    if (entry & kRowPointer)
        throw std::runtime_error("a row spread over pages: not supported");
    const size_t end = r == 0 ? kPage : get16(page + kDataOffsets + 2 * (r - 1)) & kRowOffsetMask;
    const size_t start = entry & kRowOffsetMask;
    if (start < kDataOffsets || start > end)
        throw std::runtime_error("a damaged row offset");
    return {start, end};
}

void run(const std::string& source, const std::string& table, long wanted, const std::string& out) {
    const uint32_t defPage = definitionPage(source, table);
    File f;
    {
        std::ifstream in(source, std::ios::binary);
        f.bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    if (f.bytes.size() % kPage || f.bytes.size() < 2 * kPage)
        throw std::runtime_error(source + " is not a Jet 4 file");
    uint8_t* def = f.page(defPage);
    if (def[0] != kDefPage)
        throw std::runtime_error("no table definition on its page");
    if (get32(def + kDefIndexCount) != 0)
        throw std::runtime_error("a table with indexes: not supported");
    const uint32_t had = get32(def + kDefRows);
    if (wanted <= static_cast<long>(had))
        throw std::runtime_error("the table already holds that many rows");

    // The first date column, if any: where it lies among the fixed columns, and its bit in the null mask.
    const unsigned columns = get16(def + kDefColumnCount);
    long dateOffset = -1;
    unsigned dateColumn = 0;
    for (unsigned c = 0; c < columns; ++c) {
        const uint8_t* col = def + kDefColumns + kIndexEntry * get32(def + kDefIndexCount) + kColumnEntry * c;
        if (col + kColumnEntry > def + kPage)
            throw std::runtime_error("the column list runs over its page: not supported");
        if (col[0] == kDateTime && (col[15] & 0x01) && dateOffset < 0) {
            dateOffset = 2 + get16(col + 21); // after the row's column count
            dateColumn = col[5];
        }
    }

    // The usage map: a row on some data page; only the kind that points at bitmap pages is handled.
    const uint32_t mapRef = get32(def + kDefUsageMap);
    const uint8_t* mapPageOfRow = f.page(mapRef >> 8);
    const auto [mapStart, mapEnd] = rowSpan(mapPageOfRow, mapRef & 0xff);
    if (mapEnd - mapStart < 5 || mapPageOfRow[mapStart] != 1)
        throw std::runtime_error("the table's usage map is of the inline kind: not supported");
    const size_t bitsPerMapPage = (kPage - 4) * 8;
    auto isOwned = [&](uint32_t page) {
        const size_t slot = page / bitsPerMapPage;
        if (1 + 4 * (slot + 1) > mapEnd - mapStart)
            return false;
        const uint32_t mp = get32(mapPageOfRow + mapStart + 1 + 4 * slot);
        if (!mp)
            return false;
        const size_t bit = page % bitsPerMapPage;
        return (f.page(mp)[4 + bit / 8] >> (bit % 8) & 1) != 0;
    };
    // Copies the map row's bytes: marking new pages reads pages of the growing file.
    const std::vector<uint8_t> mapRow(mapPageOfRow + mapStart, mapPageOfRow + mapEnd);

    // The table's rows, from its own data pages.
    std::vector<std::vector<uint8_t>> rows;
    for (uint32_t p = 1; p < f.pages(); ++p) {
        const uint8_t* pg = f.page(p);
        if (pg[0] != kDataPage || get32(pg + kDataOwner) != defPage || !isOwned(p))
            continue;
        for (unsigned r = 0; r < get16(pg + kDataRowCount); ++r) {
            const auto [s, e] = rowSpan(pg, r);
            if (e > s)
                rows.emplace_back(pg + s, pg + e);
        }
    }
    if (rows.size() != had)
        throw std::runtime_error("the data pages hold " + std::to_string(rows.size()) +
                                 " rows, the definition " + std::to_string(had));
    if (rows.empty())
        throw std::runtime_error("an empty table has no rows to copy");

    // New pages, packed full; each round of copies a day later than the one before.
    const size_t nullMaskBytes = (columns + 7) / 8;
    long made = 0;
    const long toMake = wanted - static_cast<long>(had);
    while (made < toMake) {
        std::vector<uint8_t> page(kPage, 0);
        page[0] = kDataPage;
        page[1] = 0x01;
        put32(page.data() + kDataOwner, defPage);
        size_t top = kPage; // the lowest byte taken by a row so far
        unsigned count = 0;
        while (made < toMake) {
            std::vector<uint8_t> row = rows[static_cast<size_t>(made) % rows.size()];
            if (top - row.size() < kDataOffsets + 2 * (count + 1))
                break;
            const uint8_t* mask = row.data() + row.size() - nullMaskBytes;
            if (dateOffset >= 0 && static_cast<size_t>(dateOffset) + 8 <= row.size() &&
                (mask[dateColumn / 8] >> (dateColumn % 8) & 1)) {
                double day = 0;
                std::memcpy(&day, row.data() + dateOffset, 8);
                day += static_cast<double>(1 + made / static_cast<long>(rows.size()));
                std::memcpy(row.data() + dateOffset, &day, 8);
            }
            top -= row.size();
            std::memcpy(page.data() + top, row.data(), row.size());
            put16(page.data() + kDataOffsets + 2 * count, static_cast<uint32_t>(top));
            ++count;
            ++made;
        }
        if (count == 0)
            throw std::runtime_error("a row larger than a page");
        put16(page.data() + kDataRowCount, count);
        put16(page.data() + kDataFree, static_cast<uint32_t>(top - kDataOffsets - 2 * count));
        const uint32_t number = f.pages();
        f.bytes.insert(f.bytes.end(), page.begin(), page.end());
        const size_t slot = number / bitsPerMapPage;
        const uint32_t mp = 1 + 4 * (slot + 1) <= mapRow.size() ? get32(mapRow.data() + 1 + 4 * slot) : 0;
        if (!mp || f.page(mp)[0] != kMapPage)
            throw std::runtime_error("the usage map has no bitmap page for page " + std::to_string(number));
        const size_t bit = number % bitsPerMapPage;
        f.page(mp)[4 + bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
    put32(f.page(defPage) + kDefRows, static_cast<uint32_t>(wanted));

    std::ofstream o(out, std::ios::binary | std::ios::trunc);
    o.write(reinterpret_cast<const char*>(f.bytes.data()), static_cast<std::streamsize>(f.bytes.size()));
    if (!o.flush())
        throw std::runtime_error("cannot write " + out);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 || std::atol(argv[3]) <= 0) {
        std::fprintf(stderr, "usage: jet_log_make SOURCE TABLE ROWS OUT\n");
        return 2;
    }
    try {
        run(argv[1], argv[2], std::atol(argv[3]), argv[4]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "jet_log_make: %s\n", e.what());
        return 1;
    }
    return 0;
}
