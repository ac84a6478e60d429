#include "JetReader.h"

#include "ColumnType.h"
#include "JetStream.h"

// mdbtools.h pulls glib in inside its extern "C" block, so glib has to be seen first.
#include <glib.h>

#include <mdbtools.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <vector>

namespace lapora::jetread {

namespace js = jetstream;

namespace {

constexpr int kRowOffsetMask = 0x1fff; // row offsets carry lookup/deleted flags above this
constexpr int kMemoHeader = 12;        // length + flags, then the page/row of the value
constexpr int kMaxTextChars = 255;
constexpr int kMaxInRowBytes = 4096; // a row lies within one page
// Far beyond any memo a program of this kind writes; a bigger length field is damage, and trusting it
// would make libmdb allocate that much.
constexpr long long kMaxMemoBytes = 16 * 1024 * 1024;

struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct HandleCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableCloser {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}
std::int16_t le16(const unsigned char* p) {
    return std::int16_t(std::uint16_t(p[0] | p[1] << 8));
}
std::int64_t le64(const unsigned char* p) {
    return std::int64_t(std::uint64_t(le32(p)) | std::uint64_t(le32(p + 4)) << 32);
}
double leDouble(const unsigned char* p) {
    const std::uint64_t bits = std::uint64_t(le64(p));
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
float leFloat(const unsigned char* p) {
    const std::uint32_t bits = le32(p);
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Bytes a fixed-size value needs in the row; 0 for variable-size types.
int fixedBytes(int type) {
    switch (type) {
    case MDB_BYTE:
        return 1;
    case MDB_INT:
        return 2;
    case MDB_LONGINT:
    case MDB_FLOAT:
        return 4;
    case MDB_MONEY:
    case MDB_DOUBLE:
    case MDB_DATETIME:
        return 8;
    case MDB_NUMERIC:
        return 17;
    default:
        return 0;
    }
}

// Jet 3 files carry no trustworthy code page; the files we read come from Hungarian Windows.
void useCentralEuropeanCodePage(MdbHandle* mdb) {
#if MDBTOOLS_H_HAVE_ICONV_H
    const iconv_t in = iconv_open("UTF-8", "WINDOWS-1250");
    const iconv_t out = iconv_open("WINDOWS-1250", "UTF-8");
    if (in == iconv_t(-1) || out == iconv_t(-1)) {
        if (in != iconv_t(-1))
            iconv_close(in);
        if (out != iconv_t(-1))
            iconv_close(out);
        return; // keep what libmdb chose
    }
    mdb_iconv_close(mdb);
    mdb->iconv_in = in;
    mdb->iconv_out = out;
#else
    (void)mdb;
#endif
}

// c as UTF-8 at p; the end.
char* putUtf8(char* p, char32_t c) {
    if (c < 0x80) {
        *p++ = char(c);
    } else if (c < 0x800) {
        *p++ = char(0xc0 | c >> 6);
        *p++ = char(0x80 | (c & 0x3f));
    } else if (c < 0x10000) {
        *p++ = char(0xe0 | c >> 12);
        *p++ = char(0x80 | (c >> 6 & 0x3f));
        *p++ = char(0x80 | (c & 0x3f));
    } else {
        *p++ = char(0xf0 | c >> 18);
        *p++ = char(0x80 | (c >> 12 & 0x3f));
        *p++ = char(0x80 | (c >> 6 & 0x3f));
        *p++ = char(0x80 | (c & 0x3f));
    }
    return p;
}

// Jet 4 in-row text straight to UTF-8, without libmdb's iconv round trip: UCS-2LE, or after an FF FE mark
// "compressed", where a 0 byte switches between one byte per Latin-1 character and two per UCS-2 character.
// Written at out, which has room for 2 * n bytes (no stored byte takes more); returns the length.
std::size_t jet4Text(const unsigned char* p, int n, char* out) {
    char* o = out;
    char16_t high = 0; // a pending high surrogate
    auto unit = [&](char16_t u) {
        if (u >= 0xd800 && u < 0xdc00) {
            if (high)
                o = putUtf8(o, 0xfffd);
            high = u;
            return;
        }
        if (u >= 0xdc00 && u < 0xe000) {
            o = putUtf8(o, high ? char32_t(0x10000 + ((high - 0xd800) << 10) + (u - 0xdc00)) : 0xfffd);
            high = 0;
            return;
        }
        if (high)
            o = putUtf8(o, 0xfffd);
        high = 0;
        o = putUtf8(o, u);
    };
    if (n >= 2 && p[0] == 0xff && p[1] == 0xfe) {
        bool compressed = true;
        for (int i = 2; i < n;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                if (p[i] < 0x80 && !high)
                    *o++ = char(p[i++]); // most text: ASCII, one byte as it stands
                else
                    unit(p[i++]);
            } else if (i + 1 < n) {
                unit(char16_t(p[i] | p[i + 1] << 8));
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (int i = 0; i + 1 < n; i += 2)
            unit(char16_t(p[i] | p[i + 1] << 8));
    }
    if (high)
        o = putUtf8(o, 0xfffd);
    return std::size_t(o - out);
}

// Sign byte, then a 128-bit magnitude as four little-endian words, most significant first.
double numericValue(const unsigned char* p, int scale) {
    long double v = 0;
    for (int w = 0; w < 4; ++w)
        v = v * 4294967296.0L + le32(p + 1 + 4 * w);
    for (int i = 0; i < scale; ++i)
        v /= 10;
    return double((p[0] & 0x80) ? -v : v);
}

// Table names match without regard to case, accented letters included.
bool sameName(const char* a, const char* b) {
    gchar* fa = g_utf8_casefold(a, -1);
    gchar* fb = g_utf8_casefold(b, -1);
    const bool same = std::strcmp(fa, fb) == 0;
    g_free(fa);
    g_free(fb);
    return same;
}

std::string nameOf(const MdbCatalogEntry* e) {
    return e->object_name;
}

// The field's kind for the program, or a Failure for a definition that is not Jet's or is damaged.
ColumnType columnType(MdbHandle* mdb, const MdbColumn* c, const std::string& table, int* size) {
    const std::string where = table + "." + c->name;
    ColumnType type;
    *size = 0;
    switch (c->col_type) {
    case MDB_TEXT:
        type = ColumnType::Text;
        // Jet 4 keeps the size in bytes of UCS-2.
        *size = IS_JET3(mdb) ? c->col_size : c->col_size / 2;
        if (*size <= 0 || *size > kMaxTextChars)
            throw Failure("damaged field size: " + where);
        break;
    case MDB_MEMO:
        type = ColumnType::LongText;
        break;
    case MDB_DOUBLE:
    case MDB_FLOAT:
    case MDB_NUMERIC:
    case MDB_MONEY:
        type = ColumnType::Number;
        break;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        type = ColumnType::Integer;
        break;
    case MDB_DATETIME:
        type = ColumnType::DateTime;
        break;
    case MDB_BOOL:
        type = ColumnType::Bool;
        break;
    default:
        // OLE, binary, replication id or a type byte that is not Jet's at all (damaged definition).
        throw Failure("unsupported or damaged field type " + std::to_string(c->col_type) + ": " + where);
    }
    const int need = fixedBytes(c->col_type);
    if (need > 0 && (!c->is_fixed || c->col_size < need))
        throw Failure("damaged field definition: " + where);
    return type;
}

struct Reader {
    HandlePtr mdb;
    std::string path;
    long long fileSize = 0;
    std::vector<MdbCatalogEntry*> tables; // owned by mdb's catalog

    using Fields = std::vector<std::pair<std::string, std::pair<ColumnType, int>>>;

    TablePtr load(MdbCatalogEntry* entry, Fields* cols) {
        const std::string name = nameOf(entry);
        TablePtr t(mdb_read_table(entry));
        // libmdb walks the usage map without checking that it could read one.
        if (!t || !t->usage_map || t->map_sz == 0)
            throw Failure("cannot read table " + name);
        if (!mdb_read_columns(t.get()) || t->num_cols == 0 || t->columns->len != t->num_cols)
            throw Failure("cannot read the fields of " + name);
        for (unsigned i = 0; i < t->num_cols; ++i) {
            const auto* c = static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, i));
            int size = 0;
            const ColumnType type = columnType(mdb.get(), c, name, &size);
            if (cols)
                cols->push_back({c->name, {type, size}});
        }
        return t;
    }

    void writeText(const MdbField& f, int type, Out& out) {
        MdbHandle* h = mdb.get();
        if (f.siz == 0) {
            out.str("", 0); // stored zero-length, not Null
            return;
        }
        std::size_t stored = std::size_t(f.siz);
        if (type == MDB_MEMO) {
            if (f.siz < kMemoHeader)
                throw Failure("damaged memo value");
            stored = std::max<std::size_t>(stored, le32(h->pg_buf + f.start) & 0x3fffffff);
            if (static_cast<long long>(stored) > std::min(fileSize, kMaxMemoBytes))
                throw Failure("damaged memo value");
        }
        if (type == MDB_TEXT && !IS_JET3(h)) {
            // In the row, so within a page; converted straight into the output behind its length.
            if (f.siz > kMaxInRowBytes)
                throw Failure("damaged row");
            char* at = out.room(4 + 2 * std::size_t(f.siz));
            const auto n = std::uint32_t(jet4Text(h->pg_buf + f.start, f.siz, at + 4));
            std::memcpy(at, &n, sizeof n);
            out.commit(4 + n);
            return;
        }
        // libmdb converts into a buffer of bind_size bytes; one stored byte never needs more than 3 in UTF-8.
        mdb_set_bind_size(h, stored * 3 + 16);
        gchar* s = mdb_col_to_string(h, h->pg_buf, f.start, type, f.siz);
        out.str(s ? s : "", s ? std::strlen(s) : 0);
        g_free(s);
    }

    void writeValue(const MdbColumn* col, const MdbField& f, Out& out) {
        // A yes/no field has no data: its value is the null-mask bit, set for true.
        if (col->col_type == MDB_BOOL) {
            out.u8(js::Bool);
            out.u8(f.is_null ? 0 : 1);
            return;
        }
        if (f.is_null) {
            out.u8(js::Null);
            return;
        }
        const int need = fixedBytes(col->col_type);
        if (need > 0 && f.siz < need)
            throw Failure("damaged row");
        const unsigned char* p = mdb->pg_buf + f.start;
        switch (col->col_type) {
        case MDB_BYTE:
            out.u8(js::Int);
            out.i64(p[0]);
            return;
        case MDB_INT:
            out.u8(js::Int);
            out.i64(le16(p));
            return;
        case MDB_LONGINT:
            out.u8(js::Int);
            out.i64(std::int32_t(le32(p)));
            return;
        case MDB_FLOAT:
            out.u8(js::Double);
            out.f64(leFloat(p));
            return;
        case MDB_DOUBLE:
            out.u8(js::Double);
            out.f64(leDouble(p));
            return;
        case MDB_MONEY:
            out.u8(js::Double);
            out.f64(double(le64(p)) / 10000.0); // fixed point, 4 decimals
            return;
        case MDB_NUMERIC:
            out.u8(js::Double);
            out.f64(numericValue(p, col->col_scale));
            return;
        case MDB_DATETIME:
            out.u8(js::DateTime);
            out.f64(leDouble(p));
            return;
        case MDB_TEXT:
        case MDB_MEMO:
            out.u8(js::Text);
            writeText(f, col->col_type, out);
            return;
        default:
            throw Failure("unsupported field type");
        }
    }

    void writeRows(MdbCatalogEntry* entry, Out& out) {
        TablePtr t = load(entry, nullptr);
        const std::string name = nameOf(entry);
        std::vector<MdbField> fields(t->num_cols);
        std::uint64_t read = 0;
        out.u8(js::kRows);
        mdb_rewind_table(t.get());
        // libmdb walks the data pages and skips deleted rows; the values are then taken from the raw row, so
        // numbers never pass through the C locale and a zero-length text stays apart from Null.
        while (mdb_fetch_row(t.get())) {
            int start = 0;
            size_t size = 0;
            if (t->cur_row == 0 || mdb_find_row(mdb.get(), int(t->cur_row) - 1, &start, &size) != 0)
                throw Failure("damaged row in " + name);
            if (mdb_crack_row(t.get(), start & kRowOffsetMask, size, fields.data()) < 0)
                throw Failure("damaged row in " + name);
            out.u8(js::kRow);
            for (unsigned i = 0; i < t->num_cols; ++i) {
                if (fields[i].colnum < 0 || unsigned(fields[i].colnum) >= t->num_cols)
                    throw Failure("damaged row in " + name);
                const auto* col =
                    static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, fields[i].colnum));
                writeValue(col, fields[i], out);
            }
            ++read;
        }
        // libmdb drops rows it cannot crack without telling; the stored count is how we notice.
        if (read != t->num_rows)
            throw Failure("table " + name + " yields " + std::to_string(read) + " of its " +
                          std::to_string(t->num_rows) + " rows");
        out.u8(js::kEnd);
        out.u64(read);
    }
};

} // namespace

void Out::spill(const void* p, std::size_t n) {
    flush();
    if (n <= kSize) {
        std::memcpy(buf_.get(), p, n);
        used_ = n;
        return;
    }
    const char* c = static_cast<const char*>(p);
    while (n > 0) {
        const ssize_t w = ::write(fd_, c, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            std::_Exit(3);
        c += w;
        n -= std::size_t(w);
    }
}

void Out::str(const std::string& s) {
    str(s.data(), s.size());
}

void Out::str(const char* p, std::size_t n) {
    u32(std::uint32_t(n));
    bytes(p, n);
}

void Out::flush() {
    const char* c = buf_.get();
    std::size_t n = used_;
    while (n > 0) {
        const ssize_t w = ::write(fd_, c, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            std::_Exit(3); // the reading side is gone
        c += w;
        n -= std::size_t(w);
    }
    used_ = 0;
}

void run(const char* path, const char* table, Out& out) {
    Reader r;
    // Checking the header first keeps libmdb away from files that are not databases at all.
    {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            if (fd >= 0)
                ::close(fd);
            throw Failure("cannot open the file");
        }
        char head[4 + 15] = {};
        const ssize_t n = ::read(fd, head, sizeof head);
        ::close(fd);
        if (n != ssize_t(sizeof head) || (std::memcmp(head + 4, "Standard Jet DB", 15) != 0 &&
                                          std::memcmp(head + 4, "Standard ACE DB", 15) != 0))
            throw Failure("not a Jet database");
        r.fileSize = st.st_size;
    }
    r.path = path;
    r.mdb.reset(mdb_open(path, MDB_NOFLAGS));
    if (!r.mdb)
        throw Failure("cannot open the file");
    if (IS_JET3(r.mdb.get()))
        useCentralEuropeanCodePage(r.mdb.get());
    GPtrArray* catalog = mdb_read_catalog(r.mdb.get(), MDB_TABLE);
    if (!catalog)
        throw Failure("cannot read the catalog");
    for (guint i = 0; i < catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (!mdb_is_user_table(e) || g_ascii_strncasecmp(e->object_name, "MSys", 4) == 0)
            continue;
        r.tables.push_back(e);
    }

    out.bytes(js::kMagic, sizeof js::kMagic);
    out.u32(std::uint32_t(r.tables.size()));
    MdbCatalogEntry* wanted = nullptr;
    for (MdbCatalogEntry* e : r.tables) {
        out.str(nameOf(e));
        // One damaged table definition fails that table only; the rest of the file still reads.
        Reader::Fields cols;
        try {
            r.load(e, &cols);
        } catch (const Failure& f) {
            out.u8(0);
            out.str(f.what());
            cols.clear();
        }
        if (!cols.empty()) {
            out.u8(1);
            out.u32(std::uint32_t(cols.size()));
            for (const auto& [n, ts] : cols) {
                out.str(n);
                out.u8(unsigned(ts.first));
                out.i32(ts.second);
            }
        }
        if (table && sameName(e->object_name, table))
            wanted = e;
    }
    if (!table)
        return;
    if (!wanted)
        throw Failure(std::string("no table ") + table);
    r.writeRows(wanted, out);
}

} // namespace lapora::jetread
