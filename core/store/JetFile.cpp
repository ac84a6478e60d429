#include "JetFile.h"

#include "JetStream.h"
#include "StoreError.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <thread>

extern char** environ;

namespace lapora {

namespace jetdetail {
Value dateValue(double stored);
int storedDate(double stored, char* out);
} // namespace jetdetail

namespace {

namespace js = jetstream;
using SteadyClock = std::chrono::steady_clock;

// Day 0 of Jet's date scale; a time without a date is stored on it.
const QDate kJetZeroDay(1899, 12, 30);
// 100-01-01 and 9999-12-31 on that scale: Jet stores nothing outside.
constexpr double kFirstJetDay = -657434.0;
constexpr double kLastJetDay = 2958465.0;

// A memo is at most 16 MB in the file, three UTF-8 bytes per stored byte at worst.
constexpr std::uint32_t kMaxString = 64u << 20;
constexpr std::uint32_t kMaxTables = 100000;
constexpr std::uint32_t kMaxFields = 4096;

QString g_reader;
int g_baseMs = 10000; // a start, the catalog and a small table, on a busy machine
int g_perMbMs = 1000; // mdb-export reads about 50 MB/s here

std::string utf8(const QString& s) {
    return s.toStdString();
}

// The reader program started per read, its standard output taken in as it comes, within a deadline.
class Child {
public:
    Child(const QString& file, const QString& table) {
        const qint64 mb = QFileInfo(file).size() >> 20;
        deadline_ = SteadyClock::now() + std::chrono::milliseconds(g_baseMs + qint64(g_perMbMs) * mb);
        const QByteArray program = QFile::encodeName(JetFile::readerPath());
        const QByteArray path = QFile::encodeName(file);
        const QByteArray name = table.toUtf8();
        int out[2] = {-1, -1}, err[2] = {-1, -1};
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
            closeAll(out, err);
            throw StoreError("cannot start the Jet reader");
        }
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&fa, out[1], 1);
        posix_spawn_file_actions_adddup2(&fa, err[1], 2);
        std::vector<char*> argv = {const_cast<char*>(program.constData()),
                                   const_cast<char*>(path.constData())};
        if (!table.isEmpty())
            argv.push_back(const_cast<char*>(name.constData()));
        argv.push_back(nullptr);
        const int rc = posix_spawn(&pid_, program.constData(), &fa, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&fa);
        ::close(out[1]);
        ::close(err[1]);
        out_ = out[0];
        err_ = err[0];
        if (rc != 0) {
            pid_ = -1;
            throw StoreError("cannot start the Jet reader " + program.toStdString());
        }
        buf_.resize(1 << 16); // a pipe's worth; grows for a longer value
    }

    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            int status = 0;
            while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
            }
        }
        if (out_ >= 0)
            ::close(out_);
        if (err_ >= 0)
            ::close(err_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // n bytes of the output, valid until the next call; a failure when the output ends before.
    const char* need(std::size_t n) {
        if (end_ - pos_ < n) {
            if (pos_ > 0) {
                std::memmove(buf_.data(), buf_.data() + pos_, end_ - pos_);
                end_ -= pos_;
                pos_ = 0;
            }
            if (buf_.size() < n)
                buf_.resize(n);
            while (end_ < n) {
                if (!fill())
                    failed("its output ends early");
            }
        }
        const char* p = buf_.data() + pos_;
        pos_ += n;
        return p;
    }

    std::uint8_t u8() { return static_cast<std::uint8_t>(*need(1)); }
    template <class T> T fixed() {
        T v;
        std::memcpy(&v, need(sizeof v), sizeof v);
        return v;
    }
    void str(std::string& s) {
        const auto n = fixed<std::uint32_t>();
        if (n > kMaxString)
            failed("a text of " + std::to_string(n) + " bytes");
        s.assign(need(n), n);
    }
    QString qstr() {
        const auto n = fixed<std::uint32_t>();
        if (n > kMaxString)
            failed("a text of " + std::to_string(n) + " bytes");
        return QString::fromUtf8(need(n), qsizetype(n));
    }

    // The output is over: nothing may follow, and the reader must end well.
    void finish() {
        if (end_ > pos_ || fill())
            failed("output after its end");
        const int status = reap();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            failed("it ended badly");
    }

    [[noreturn]] void failed(const std::string& what) {
        {
            // Tell a crash or a refusal of the file from a stream that is merely malformed.
            const int status = reap();
            if (WIFEXITED(status) && WEXITSTATUS(status) == js::kRefused) {
                // Its own last line says why it refused the file (the library may have warned before).
                std::string why = err_text_;
                while (!why.empty() && (why.back() == '\n' || why.back() == '\r'))
                    why.pop_back();
                why =
                    why.substr(why.find_last_of('\n') == std::string::npos ? 0 : why.find_last_of('\n') + 1);
                throw StoreError("Jet reader: " + (why.empty() ? std::string("it refused the file") : why));
            }
            // A signal, or a sanitizer's or the runtime's own exit: the same to the caller.
            if (WIFSIGNALED(status) || (WIFEXITED(status) && WEXITSTATUS(status) != 0))
                throw StoreError("Jet reader: it crashed");
        }
        throw StoreError("Jet reader: " + what);
    }

private:
    static void closeAll(int* a, int* b) {
        for (int i = 0; i < 2; ++i) {
            if (a[i] >= 0)
                ::close(a[i]);
            if (b[i] >= 0)
                ::close(b[i]);
        }
    }

    int remainingMs() const {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - SteadyClock::now()).count();
        return left < 0 ? 0 : int(std::min<long long>(left, INT_MAX));
    }

    [[noreturn]] void timedOut() {
        ::kill(pid_, SIGKILL);
        reap();
        throw StoreError("Jet reader: no answer in time");
    }

    // More output into the buffer; false at its end.
    bool fill() {
        for (;;) {
            if (out_ < 0)
                return false;
            pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
            const int nfds = err_ >= 0 ? 2 : 1;
            const int left = remainingMs();
            if (left == 0)
                timedOut();
            const int r = ::poll(fds, nfds, left);
            if (r < 0 && errno == EINTR)
                continue;
            if (r < 0)
                failed("cannot wait for it");
            if (r == 0)
                timedOut();
            if (nfds == 2 && fds[1].revents) {
                char tmp[4096];
                const ssize_t n = ::read(err_, tmp, sizeof tmp);
                if (n > 0) {
                    err_text_.append(tmp, std::size_t(n));
                    if (err_text_.size() > 4096)
                        err_text_.erase(0, err_text_.size() - 2048); // the last lines tell why
                } else if (n == 0 || errno != EINTR) {
                    ::close(err_);
                    err_ = -1;
                }
            }
            if (fds[0].revents) {
                if (end_ == buf_.size())
                    buf_.resize(buf_.size() * 2);
                const ssize_t n = ::read(out_, buf_.data() + end_, buf_.size() - end_);
                if (n > 0) {
                    end_ += std::size_t(n);
                    return true;
                }
                if (n < 0 && errno == EINTR)
                    continue;
                ::close(out_);
                out_ = -1;
                return false;
            }
        }
    }

    // Waits for the reader to end (killing it at the deadline); its wait status.
    int reap() {
        if (pid_ <= 0)
            return status_;
        // Its output has usually ended as it exits: look again soon, then less often (a whole millisecond
        // at once was most of a small table's read).
        auto pause = std::chrono::microseconds(20);
        for (;;) {
            const pid_t r = ::waitpid(pid_, &status_, WNOHANG);
            if (r == pid_)
                break;
            if (r < 0 && errno != EINTR) {
                status_ = 0x7f00; // not ours to wait for: counts as a failure
                break;
            }
            if (remainingMs() == 0) {
                ::kill(pid_, SIGKILL);
                while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
                }
                break;
            }
            std::this_thread::sleep_for(pause);
            pause = std::min<std::chrono::microseconds>(pause * 2, std::chrono::milliseconds(1));
        }
        pid_ = -1;
        return status_;
    }

    pid_t pid_ = -1;
    int status_ = 0;
    int out_ = -1, err_ = -1;
    std::vector<char> buf_;
    std::size_t pos_ = 0, end_ = 0;
    std::string err_text_;
    SteadyClock::time_point deadline_;
};

struct Entry {
    QString name;
    bool ok = false;
    std::vector<Column> columns;
    std::string why;
};

std::vector<Entry> readCatalog(Child& c) {
    if (std::memcmp(c.need(sizeof js::kMagic), js::kMagic, sizeof js::kMagic) != 0)
        c.failed("not its output");
    const auto n = c.fixed<std::uint32_t>();
    if (n > kMaxTables)
        c.failed("too many tables");
    std::vector<Entry> out(n);
    for (Entry& e : out) {
        e.name = c.qstr();
        e.ok = c.u8() != 0;
        if (!e.ok) {
            c.str(e.why);
            continue;
        }
        const auto fields = c.fixed<std::uint32_t>();
        if (fields == 0 || fields > kMaxFields)
            c.failed("a table of " + std::to_string(fields) + " fields");
        e.columns.resize(fields);
        for (Column& col : e.columns) {
            col.name = c.qstr();
            const auto type = c.u8();
            if (type > std::uint8_t(ColumnType::Bool))
                c.failed("a field of unknown type");
            col.type = ColumnType(type);
            col.size = c.fixed<std::int32_t>();
            if (col.size < 0 || col.size > 255)
                c.failed("a field of impossible size");
        }
    }
    return out;
}

// One value as the stream carries it.
struct Cell {
    std::uint8_t tag = js::Null;
    std::int64_t i = 0;
    double f = 0;
    std::string s;
    char date[20]; // a DateTime's stored text, while bound
};

bool tagFits(std::uint8_t tag, ColumnType t) {
    switch (tag) {
    case js::Null:
        return t != ColumnType::Bool;
    case js::Int:
        return t == ColumnType::Integer;
    case js::Double:
        return t == ColumnType::Number;
    case js::Text:
        return t == ColumnType::Text || t == ColumnType::LongText;
    case js::DateTime:
        return t == ColumnType::DateTime;
    case js::Bool:
        return t == ColumnType::Bool;
    default:
        return false;
    }
}

Value toValue(const Cell& c) {
    switch (c.tag) {
    case js::Int:
        return Value::number(double(c.i));
    case js::Double:
        return Value::number(c.f);
    case js::Text:
        return Value::text(QString::fromUtf8(c.s.data(), qsizetype(c.s.size())));
    case js::DateTime:
        return jetdetail::dateValue(c.f);
    case js::Bool:
        return Value::boolean(c.i != 0);
    default:
        return {};
    }
}

} // namespace

namespace jetdetail {

namespace {

struct DayAndSecond {
    qint64 day; // from 1899-12-30
    int secs;   // of that day
};

// Whole part: days from 1899-12-30 (negative before it); the absolute fraction is the time of day,
// also for negative values (-1.25 is 1899-12-29 06:00). Rounded to whole seconds as Jet shows them.
DayAndSecond split(double stored) {
    if (!std::isfinite(stored) || stored < kFirstJetDay || stored >= kLastJetDay + 1)
        throw StoreError("damaged date value");
    const double whole = std::trunc(stored);
    qint64 day = qint64(whole);
    qint64 secs = std::llround(std::fabs(stored - whole) * 86400.0);
    if (secs >= 86400) {
        secs -= 86400;
        ++day;
    }
    return {day, int(secs)};
}

char* digits(char* p, int v, int width) {
    for (int i = width - 1; i >= 0; --i, v /= 10)
        p[i] = char('0' + v % 10);
    return p + width;
}

} // namespace

Value dateValue(double stored) {
    const auto [day, secs] = split(stored);
    const QTime time = QTime(0, 0).addSecs(secs);
    const QDate date = kJetZeroDay.addDays(day);
    // Day 0 is a date like any other: a time of day stored on it keeps its day, so a copy into a date
    // field gives 1899-12-30 and the value equals #12/30/1899#.
    if (secs == 0 && day != 0)
        return Value::date(date);
    return Value::dateTime(date, time); // as written, even a wall time local time skips (DST gap)
}

// The text Database::bind stores for dateValue(stored) in a DateTime field, made without the detour
// through QDateTime (whose local-time check costs a time zone lookup per value): the date alone at
// midnight, the date and the time otherwise. out holds at least 20 bytes; returns the length.
int storedDate(double stored, char* out) {
    const auto [day, secs] = split(stored);
    // Proleptic Gregorian date of the day, counted in 400-year eras from 0000-03-01.
    const qint64 z = day + 693899; // 1899-12-30 is day 693899 after 0000-03-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    const int y = int(yoe + era * 400 + (m <= 2 ? 1 : 0));
    char* p = digits(out, y, 4);
    *p++ = '-';
    p = digits(p, m, 2);
    *p++ = '-';
    p = digits(p, d, 2);
    if (secs != 0) {
        *p++ = ' ';
        p = digits(p, secs / 3600, 2);
        *p++ = ':';
        p = digits(p, secs / 60 % 60, 2);
        *p++ = ':';
        p = digits(p, secs % 60, 2);
    }
    return int(p - out);
}

} // namespace jetdetail

struct JetFile::Impl {
    QString path;
    std::vector<Entry> tables;

    const Entry& find(const QString& table) const {
        for (const Entry& e : tables)
            if (QString::compare(e.name, table, Qt::CaseInsensitive) == 0)
                return e;
        throw StoreError("no table " + utf8(table) + " in " + utf8(path));
    }

    // Starts the reader on one table and reads each row's cells into next() (room for one row), calling
    // done() after each row.
    template <class Next, class Done> void read(const QString& table, Next next, Done done) const {
        const Entry& want = find(table);
        if (!want.ok)
            throw StoreError(want.why + " in " + utf8(path));
        Child c(path, want.name);
        // The file is read afresh: it must still be the file whose catalog we hold.
        const std::vector<Entry> now = readCatalog(c);
        bool same = false;
        for (const Entry& e : now)
            if (e.name == want.name && e.ok && e.columns.size() == want.columns.size()) {
                same = true;
                for (size_t i = 0; i < e.columns.size(); ++i)
                    same = same && e.columns[i].name == want.columns[i].name &&
                           e.columns[i].type == want.columns[i].type;
            }
        if (!same)
            throw StoreError("the fields of " + utf8(want.name) + " changed in " + utf8(path));
        if (c.u8() != std::uint8_t(js::kRows))
            c.failed("no rows");
        // The tags each field may carry, as bits.
        std::vector<unsigned> fits(want.columns.size());
        for (size_t i = 0; i < fits.size(); ++i)
            for (unsigned tag = 0; tag < 8; ++tag)
                fits[i] |= tagFits(std::uint8_t(tag), want.columns[i].type) ? 1u << tag : 0u;
        std::uint64_t count = 0;
        for (;;) {
            const auto mark = c.u8();
            if (mark == std::uint8_t(js::kEnd))
                break;
            if (mark != std::uint8_t(js::kRow))
                c.failed("a malformed row");
            Cell* row = next();
            for (size_t i = 0; i < fits.size(); ++i) {
                Cell& cell = row[i];
                cell.tag = c.u8();
                if (cell.tag >= 8 || !(fits[i] >> cell.tag & 1))
                    c.failed("a value of the wrong kind");
                switch (cell.tag) {
                case js::Int:
                    cell.i = c.fixed<std::int64_t>();
                    break;
                case js::Double:
                case js::DateTime:
                    cell.f = c.fixed<double>();
                    break;
                case js::Text:
                    c.str(cell.s);
                    break;
                case js::Bool:
                    cell.i = c.u8();
                    break;
                default:
                    break;
                }
            }
            ++count;
            done();
        }
        if (c.fixed<std::uint64_t>() != count)
            c.failed("a row count that differs from its rows");
        c.finish();
    }
};

QString JetFile::readerPath() {
    if (!g_reader.isEmpty())
        return g_reader;
    // Beside the running program: the build's bin/, or the installed program's folder.
    QStringList dirs;
    char exe[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n > 0)
        dirs << QFileInfo(QString::fromLocal8Bit(exe, int(n))).absolutePath();
    if (QCoreApplication::instance())
        dirs << QCoreApplication::applicationDirPath();
    dirs << QStringLiteral("/usr/lib/lapora");
    for (const QString& d : dirs) {
        const QFileInfo f(d + QStringLiteral("/lapora_jetread"));
        if (f.isFile() && f.isExecutable())
            return f.absoluteFilePath();
    }
    return dirs.first() + QStringLiteral("/lapora_jetread"); // starting it fails: the read's failure
}

void JetFile::setReaderForTests(const QString& path) {
    g_reader = path;
}

void JetFile::setTimeLimitForTests(int baseMs, int perMbMs) {
    g_baseMs = baseMs;
    g_perMbMs = perMbMs;
}

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
    // Checking the header first keeps the reader away from files that are not databases at all.
    if (!looksLikeJet(path))
        throw StoreError("not a Jet database: " + utf8(path));
    std::unique_ptr<JetFile> file(new JetFile);
    file->d = std::make_unique<Impl>();
    file->d->path = path;
    Child c(path, QString());
    file->d->tables = readCatalog(c);
    c.finish();
    return file;
}

JetFile::~JetFile() = default;

QStringList JetFile::tableNames() const {
    QStringList out;
    for (const Entry& e : d->tables)
        out << e.name;
    return out;
}

std::vector<Column> JetFile::columns(const QString& table) const {
    const Entry& e = d->find(table);
    if (!e.ok)
        throw StoreError(e.why + " in " + utf8(d->path));
    return e.columns;
}

void JetFile::readRows(const QString& table,
                       const std::function<void(const std::vector<Value>&)>& sink) const {
    std::vector<Cell> row(d->find(table).columns.size());
    std::vector<Value> values(row.size());
    d->read(
        table, [&] { return row.data(); },
        [&] {
            for (size_t i = 0; i < row.size(); ++i)
                values[i] = toValue(row[i]);
            sink(values);
        });
}

namespace {

// Binds rows' cells into INSERT statements, texts in place.
class RowBinder {
public:
    explicit RowBinder(size_t fields) : fields_(fields), last_(fields) {}

    // One row's cells from parameter first + 1 on.
    void bind(sqlite3_stmt* st, int first, Cell* row) {
        for (size_t i = 0; i < fields_; ++i) {
            Cell& c = row[i];
            const int pos = first + int(i) + 1;
            switch (c.tag) {
            case js::Int:
                sqlite3_bind_int64(st, pos, c.i);
                break;
            case js::Double:
                sqlite3_bind_double(st, pos, c.f);
                break;
            case js::Text:
                sqlite3_bind_text(st, pos, c.s.data(), int(c.s.size()), SQLITE_STATIC);
                break;
            case js::DateTime: {
                // A log's dates repeat row after row: the text of the field's last one is reused.
                LastDate& l = last_[i];
                if (l.length == 0 || c.f != l.stored) {
                    l.length = jetdetail::storedDate(c.f, l.text);
                    l.stored = c.f;
                }
                std::memcpy(c.date, l.text, sizeof c.date);
                sqlite3_bind_text(st, pos, c.date, l.length, SQLITE_STATIC);
                break;
            }
            case js::Bool:
                sqlite3_bind_int(st, pos, c.i ? 1 : 0);
                break;
            default:
                sqlite3_bind_null(st, pos);
                break;
            }
        }
    }

private:
    struct LastDate {
        double stored = 0;
        int length = 0; // 0: none yet
        char text[20];
    };
    size_t fields_;
    std::vector<LastDate> last_;
};

void stepInsert(sqlite3_stmt* st) {
    const int rc = sqlite3_step(st);
    if (rc != SQLITE_DONE)
        throw StoreError(std::string("insert: ") + sqlite3_errmsg(sqlite3_db_handle(st)));
    sqlite3_reset(st);
}

} // namespace

void JetFile::insertRows(const QString& table, sqlite3_stmt* batch, int batchRows,
                         sqlite3_stmt* single) const {
    struct Unbind {
        sqlite3_stmt* st;
        ~Unbind() {
            sqlite3_reset(st);
            sqlite3_clear_bindings(st); // the texts were bound in place
        }
    } unbindBatch{batch}, unbindSingle{single};
    const size_t fields = d->find(table).columns.size();
    const size_t rows = size_t(std::max(batchRows, 1));
    // A batch's rows stay here until its statement is stepped; the cells' texts are reused, row after row.
    std::vector<Cell> cells(rows * fields);
    RowBinder binder(fields);
    size_t held = 0;
    d->read(
        table, [&] { return cells.data() + held * fields; },
        [&] {
            if (++held < rows)
                return;
            for (size_t r = 0; r < rows; ++r)
                binder.bind(batch, int(r * fields), cells.data() + r * fields);
            stepInsert(batch);
            held = 0;
        });
    for (size_t r = 0; r < held; ++r) {
        binder.bind(single, 0, cells.data() + r * fields);
        stepInsert(single);
    }
}

} // namespace lapora
