// The Jet reader on mutated files: whatever the reader process does with a file (crash, hang, nonsense),
// this process must live and report a failed read (StoreError), nothing else.
//
// An input whose first byte is odd is taken instead as the reader's own output, handed over by a stand-in
// reader, so the taking apart of a malformed stream is fuzzed as well.
#include "JetFile.h"
#include "StoreError.h"

#include <QDir>
#include <QFile>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

using namespace lapora;

namespace {

struct Scratch {
    QString dir, file, script, real;
    Scratch() {
        dir = QDir::tempPath() + QStringLiteral("/lapora_fuzz_jet_%1").arg(QString::number(qint64(getpid())));
        QDir().mkpath(dir);
        file = dir + QStringLiteral("/input.mdb");
        script = dir + QStringLiteral("/stream.sh");
        // The reader's own crashes are expected and need no sanitizer: a plain build of it starts faster.
        const QByteArray plain = qgetenv("LAPORA_FUZZ_READER");
        real = plain.isEmpty() ? JetFile::readerPath() : QFile::decodeName(plain);
        QFile s(script);
        if (!s.open(QIODevice::WriteOnly))
            std::abort();
        s.write("#!/bin/sh\nexec cat \"$1.out\"\n");
        s.close();
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        // A damaged file may make the reader hang: a short limit keeps the fuzzing going.
        JetFile::setTimeLimitForTests(2000, 200);
    }
};

void write(const QString& path, const char* p, std::size_t n) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    f.write(p, qint64(n));
}

void readAll(const QString& path) {
    const auto f = JetFile::open(path);
    for (const QString& t : f->tableNames()) {
        try {
            (void)f->columns(t);
            std::size_t rows = 0;
            f->readRows(t, [&](const std::vector<Value>& r) { rows += r.size(); });
        } catch (const StoreError&) {
            // one table failed; the others may still read
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Scratch s;
    if (size < 1)
        return 0;
    const bool stream = data[0] & 1;
    const char* body = reinterpret_cast<const char*>(data + 1);
    const std::size_t n = size - 1;
    try {
        if (stream) {
            static const char header[] = "\0\1\0\0Standard Jet DB";
            write(s.file, header, sizeof header - 1);
            write(s.file + QStringLiteral(".out"), body, n);
            JetFile::setReaderForTests(s.script);
        } else {
            write(s.file, body, n);
            JetFile::setReaderForTests(s.real);
        }
        readAll(s.file);
    } catch (const StoreError&) {
        // the failure the callers turn into their message
    } catch (const std::exception& e) {
        std::fprintf(stderr, "not a StoreError: %s\n", e.what());
        std::abort();
    }
    return 0;
}
