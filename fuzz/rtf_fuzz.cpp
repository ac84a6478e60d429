// libFuzzer target for the RTF reader: every input must end without a crash, a hang or unbounded memory,
// with and without the formatted document.
#include "RtfReader.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Most inputs start like a real file, so the parser is reached past its header check.
    QByteArray rtf = QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (size > 0 && (data[0] & 1))
        rtf.prepend("{\\rtf1\\ansi\\ansicpg1250 ");
    QTextDocument doc;
    const lapora::RtfText withDoc = lapora::readRtf(rtf, &doc);
    const lapora::RtfText plainOnly = lapora::readRtf(rtf);
    // The plain text does not depend on whether a document is filled.
    if (withDoc.plain != plainOnly.plain || withDoc.isRtf != plainOnly.isRtf)
        std::abort();
    return 0;
}
