#include "JetFile.h"

#include "StoreError.h"

#include <QFile>
#include <QFileInfo>

// mdbtools.h pulls glib in inside its extern "C" block, so glib has to be seen first.
#include <glib.h>

#include <mdbtools.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

namespace lapora {

namespace jetdetail {
Value dateValue(double stored);
}

namespace {

// Day 0 of Jet's date scale; a time without a date is stored on it.
const QDate kJetZeroDay(1899, 12, 30);
// 100-01-01 and 9999-12-31 on that scale: Jet stores nothing outside.
constexpr double kFirstJetDay = -657434.0;
constexpr double kLastJetDay = 2958465.0;

constexpr int kRowOffsetMask = 0x1fff; // row offsets carry lookup/deleted flags above this
constexpr int kMemoHeader = 12;        // length + flags, then the page/row of the value
constexpr int kMaxTextChars = 255;
// Far beyond any memo a program of this kind writes; a bigger length field is damage, and trusting it
// would make libmdb allocate that much.
constexpr qint64 kMaxMemoBytes = 16 * 1024 * 1024;

struct HandleCloser {
    void operator()(MdbHandle* h) const { mdb_close(h); }
};
struct TableCloser {
    void operator()(MdbTableDef* t) const { mdb_free_tabledef(t); }
};
using HandlePtr = std::unique_ptr<MdbHandle, HandleCloser>;
using TablePtr = std::unique_ptr<MdbTableDef, TableCloser>;

std::string utf8(const QString& s) {
    return s.toStdString();
}

quint32 le32(const unsigned char* p) {
    return quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24;
}
qint16 le16(const unsigned char* p) {
    return qint16(quint16(p[0]) | quint16(p[1]) << 8);
}
qint64 le64(const unsigned char* p) {
    return qint64(quint64(le32(p)) | quint64(le32(p + 4)) << 32);
}
double leDouble(const unsigned char* p) {
    const quint64 bits = quint64(le64(p));
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}
float leFloat(const unsigned char* p) {
    const quint32 bits = le32(p);
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

// Jet 4 in-row text straight to UTF-16, without libmdb's iconv round trip: UCS-2LE, or after an FF FE mark
// "compressed", where a 0 byte switches between one byte per Latin-1 character and two per UCS-2 character.
QString jet4Text(const unsigned char* p, int n) {
    QString out(n, Qt::Uninitialized); // never more characters than bytes
    char16_t* d = reinterpret_cast<char16_t*>(out.data());
    qsizetype len = 0;
    if (n >= 2 && p[0] == 0xff && p[1] == 0xfe) {
        bool compressed = true;
        for (int i = 2; i < n;) {
            if (p[i] == 0) {
                compressed = !compressed;
                ++i;
            } else if (compressed) {
                d[len++] = p[i++];
            } else if (i + 1 < n) {
                d[len++] = char16_t(p[i] | p[i + 1] << 8);
                i += 2;
            } else {
                break;
            }
        }
    } else {
        for (int i = 0; i + 1 < n; i += 2)
            d[len++] = char16_t(p[i] | p[i + 1] << 8);
    }
    out.truncate(len);
    return out;
}

QString nameOf(const char* s) {
    return QString::fromUtf8(s);
}

Column toColumn(MdbHandle* mdb, const MdbColumn* c, const QString& table) {
    Column out;
    out.name = nameOf(c->name);
    switch (c->col_type) {
    case MDB_TEXT:
        out.type = ColumnType::Text;
        // Jet 4 keeps the size in bytes of UCS-2.
        out.size = IS_JET3(mdb) ? c->col_size : c->col_size / 2;
        if (out.size <= 0 || out.size > kMaxTextChars)
            throw StoreError("damaged field size: " + utf8(table) + "." + utf8(out.name));
        break;
    case MDB_MEMO:
        out.type = ColumnType::LongText;
        break;
    case MDB_DOUBLE:
    case MDB_FLOAT:
    case MDB_NUMERIC:
    case MDB_MONEY:
        out.type = ColumnType::Number;
        break;
    case MDB_BYTE:
    case MDB_INT:
    case MDB_LONGINT:
        out.type = ColumnType::Integer;
        break;
    case MDB_DATETIME:
        out.type = ColumnType::DateTime;
        break;
    case MDB_BOOL:
        out.type = ColumnType::Bool;
        break;
    default:
        // OLE, binary, replication id or a type byte that is not Jet's at all (damaged definition).
        throw StoreError("unsupported or damaged field type " + std::to_string(c->col_type) + ": " +
                         utf8(table) + "." + utf8(out.name));
    }
    const int need = fixedBytes(c->col_type);
    if (need > 0 && (!c->is_fixed || c->col_size < need))
        throw StoreError("damaged field definition: " + utf8(table) + "." + utf8(out.name));
    return out;
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

} // namespace

namespace jetdetail {

// Whole part: days from 1899-12-30 (negative before it); the absolute fraction is the time of day,
// also for negative values (-1.25 is 1899-12-29 06:00). Rounded to whole seconds as Jet shows them.
Value dateValue(double stored) {
    if (!std::isfinite(stored) || stored < kFirstJetDay || stored >= kLastJetDay + 1)
        throw StoreError("damaged date value");
    const double whole = std::trunc(stored);
    qint64 day = qint64(whole);
    qint64 secs = std::llround(std::fabs(stored - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    const QTime time = QTime(0, 0).addSecs(int(secs));
    const QDate date = kJetZeroDay.addDays(day);
    // Day 0 is a date like any other: a time of day stored on it keeps its day, so a copy into a date
    // field gives 1899-12-30 and the value equals #12/30/1899#.
    if (secs == 0 && day != 0)
        return Value::date(date);
    QDateTime dt(date, time);
    if (!dt.isValid() || dt.time() != time)
        dt = QDateTime(date, time, Qt::UTC); // a wall time local time skips (DST gap) stays as written
    return Value::dateTime(dt);
}

} // namespace jetdetail

struct JetFile::Impl {
    HandlePtr mdb;
    QString path;
    qint64 fileSize = 0;
    std::vector<MdbCatalogEntry*> tables; // owned by mdb's catalog

    MdbCatalogEntry* find(const QString& table) const {
        for (MdbCatalogEntry* e : tables) {
            if (QString::compare(nameOf(e->object_name), table, Qt::CaseInsensitive) == 0)
                return e;
        }
        throw StoreError("no table " + utf8(table) + " in " + utf8(path));
    }

    TablePtr load(MdbCatalogEntry* entry, std::vector<Column>* cols) const {
        const QString name = nameOf(entry->object_name);
        TablePtr t(mdb_read_table(entry));
        // libmdb walks the usage map without checking that it could read one.
        if (!t || !t->usage_map || t->map_sz == 0)
            throw StoreError("cannot read table " + utf8(name) + " in " + utf8(path));
        if (!mdb_read_columns(t.get()) || t->num_cols == 0 || t->columns->len != t->num_cols)
            throw StoreError("cannot read the fields of " + utf8(name) + " in " + utf8(path));
        for (unsigned i = 0; i < t->num_cols; ++i) {
            const Column c =
                toColumn(mdb.get(), static_cast<MdbColumn*>(g_ptr_array_index(t->columns, i)), name);
            if (cols)
                cols->push_back(c);
        }
        return t;
    }

    QString text(const MdbField& f, int type) const {
        MdbHandle* h = mdb.get();
        if (f.siz == 0)
            return QString(""); // stored zero-length, not Null
        std::size_t stored = std::size_t(f.siz);
        if (type == MDB_MEMO) {
            if (f.siz < kMemoHeader)
                throw StoreError("damaged memo value in " + utf8(path));
            stored = std::max<std::size_t>(stored, le32(h->pg_buf + f.start) & 0x3fffffff);
            if (qint64(stored) > std::min(fileSize, kMaxMemoBytes))
                throw StoreError("damaged memo value in " + utf8(path));
        }
        if (type == MDB_TEXT && !IS_JET3(h))
            return jet4Text(h->pg_buf + f.start, f.siz);
        // libmdb converts into a buffer of bind_size bytes; one stored byte never needs more than 3 in UTF-8.
        mdb_set_bind_size(h, stored * 3 + 16);
        gchar* s = mdb_col_to_string(h, h->pg_buf, f.start, type, f.siz);
        const QString out = QString::fromUtf8(s ? s : "");
        g_free(s);
        return out;
    }

    Value value(const MdbColumn* col, const MdbField& f) const {
        // A yes/no field has no data: its value is the null-mask bit, set for true.
        if (col->col_type == MDB_BOOL)
            return Value::boolean(!f.is_null);
        if (f.is_null)
            return {};
        const int need = fixedBytes(col->col_type);
        if (need > 0 && f.siz < need)
            throw StoreError("damaged row in " + utf8(path));
        const unsigned char* p = mdb->pg_buf + f.start;
        switch (col->col_type) {
        case MDB_BYTE:
            return Value::number(p[0]);
        case MDB_INT:
            return Value::number(le16(p));
        case MDB_LONGINT:
            return Value::number(qint32(le32(p)));
        case MDB_FLOAT:
            return Value::number(leFloat(p));
        case MDB_DOUBLE:
            return Value::number(leDouble(p));
        case MDB_MONEY:
            return Value::number(double(le64(p)) / 10000.0); // fixed point, 4 decimals
        case MDB_NUMERIC:
            return Value::number(numericValue(p, col->col_scale));
        case MDB_DATETIME:
            return jetdetail::dateValue(leDouble(p));
        case MDB_TEXT:
        case MDB_MEMO:
            return Value::text(text(f, col->col_type));
        default:
            throw StoreError("unsupported field type in " + utf8(path));
        }
    }
};

bool JetFile::looksLikeJet(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = f.read(4 + 15);
    if (head.size() < 4 + 15)
        return false;
    const QByteArray magic = head.mid(4);
    return magic == "Standard Jet DB" || magic == "Standard ACE DB";
}

std::unique_ptr<JetFile> JetFile::open(const QString& path) {
    // Checking the header first keeps libmdb away from files that are not databases at all.
    if (!looksLikeJet(path))
        throw StoreError("not a Jet database: " + utf8(path));
    const QByteArray native = QFile::encodeName(path);
    HandlePtr mdb(mdb_open(native.constData(), MDB_NOFLAGS));
    if (!mdb)
        throw StoreError("cannot open " + utf8(path));
    if (IS_JET3(mdb.get()))
        useCentralEuropeanCodePage(mdb.get());
    GPtrArray* catalog = mdb_read_catalog(mdb.get(), MDB_TABLE);
    if (!catalog)
        throw StoreError("cannot read the catalog of " + utf8(path));

    std::unique_ptr<JetFile> file(new JetFile);
    file->d = std::make_unique<Impl>();
    Impl& d = *file->d;
    d.path = path;
    d.fileSize = QFileInfo(path).size();
    for (guint i = 0; i < catalog->len; ++i) {
        auto* e = static_cast<MdbCatalogEntry*>(g_ptr_array_index(catalog, i));
        if (!mdb_is_user_table(e) ||
            nameOf(e->object_name).startsWith(QLatin1String("MSys"), Qt::CaseInsensitive))
            continue;
        d.tables.push_back(e);
    }
    d.mdb = std::move(mdb);
    return file;
}

JetFile::~JetFile() = default;

QStringList JetFile::tableNames() const {
    QStringList out;
    for (const MdbCatalogEntry* e : d->tables)
        out << nameOf(e->object_name);
    return out;
}

std::vector<Column> JetFile::columns(const QString& table) const {
    std::vector<Column> cols;
    d->load(d->find(table), &cols);
    return cols;
}

// The handle has one page buffer: sink must not use this JetFile while rows are being read. When this
// throws after rows were handed out, the caller drops what it got.
void JetFile::readRows(const QString& table,
                       const std::function<void(const std::vector<Value>&)>& sink) const {
    MdbHandle* mdb = d->mdb.get();
    MdbCatalogEntry* entry = d->find(table);
    TablePtr t = d->load(entry, nullptr);
    const QString name = nameOf(entry->object_name);

    std::vector<MdbField> fields(t->num_cols);
    std::vector<Value> row(t->num_cols);
    unsigned read = 0;
    mdb_rewind_table(t.get());
    // libmdb walks the data pages and skips deleted rows; the values are then taken from the raw row, so
    // numbers never pass through the C locale and a zero-length text stays apart from Null.
    while (mdb_fetch_row(t.get())) {
        int start = 0;
        size_t size = 0;
        if (t->cur_row == 0 || mdb_find_row(mdb, int(t->cur_row) - 1, &start, &size) != 0)
            throw StoreError("damaged row in " + utf8(name));
        if (mdb_crack_row(t.get(), start & kRowOffsetMask, size, fields.data()) < 0)
            throw StoreError("damaged row in " + utf8(name));
        for (unsigned i = 0; i < t->num_cols; ++i) {
            const auto* col = static_cast<const MdbColumn*>(g_ptr_array_index(t->columns, fields[i].colnum));
            row[i] = d->value(col, fields[i]);
        }
        ++read;
        sink(row);
    }
    // libmdb drops rows it cannot crack without telling; the stored count is how we notice.
    if (read != t->num_rows)
        throw StoreError("table " + utf8(name) + " in " + utf8(d->path) + " yields " + std::to_string(read) +
                         " of its " + std::to_string(t->num_rows) + " rows");
}

} // namespace lapora
