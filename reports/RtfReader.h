#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace lapora {

// What an RTF file gave: whether it was RTF at all, and its text without formatting or pictures (for
// printing).
struct RtfText {
    bool isRtf = false;
    QString plain;
};

// Reads an RTF file's bytes: groups, control words and symbols, the ANSI code page (1250 or 1252, also per
// font through \fcharset) for \'hh bytes, \uN with its fallback skip, paragraphs, line breaks, tabs, bold,
// italic, underline, font size, PNG and JPEG pictures. Destinations it does not show are skipped. Damaged
// input (unbalanced braces, a cut-off file, deep nesting) gives what could be read: the parser keeps its
// group stack on the heap and bounded, and reads every byte at most once.
// doc, when given, is cleared and receives the formatted text with its pictures.
RtfText readRtf(const QByteArray& rtf, QTextDocument* doc = nullptr);

// Writes text into RTF the reader (and word processors) read back: code page 1250 \'hh bytes where the
// character has one, \uN? otherwise; braces and backslashes escaped, line ends as \line.
QByteArray rtfEscape(const QString& text);

} // namespace lapora
