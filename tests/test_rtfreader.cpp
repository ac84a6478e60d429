#include "RtfReader.h"

#include <QBuffer>
#include <QFont>
#include <QImage>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>

#include <gtest/gtest.h>

#include <random>

using namespace lapora;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

struct PlainCase {
    const char* name;
    QByteArray rtf;
    const char* plain; // UTF-8
};

void PrintTo(const PlainCase& c, std::ostream* os) {
    *os << c.name;
}

class RtfPlain : public ::testing::TestWithParam<PlainCase> {};

TEST_P(RtfPlain, GivesTheTextItHolds) {
    const PlainCase& c = GetParam();
    QTextDocument doc;
    const RtfText r = readRtf(c.rtf, &doc);
    EXPECT_TRUE(r.isRtf);
    EXPECT_EQ(r.plain, u(c.plain));
    // The box holds the same characters (its line breaks are the document's own separators).
    QString shown = doc.toPlainText();
    shown.replace(QChar::LineSeparator, QLatin1Char('\n'));
    QString expected = u(c.plain);
    expected.replace(QChar::Nbsp, QLatin1Char(' ')); // the document's plain text turns it into a space
    if (expected.endsWith(QLatin1Char('\n')) && !shown.endsWith(QLatin1Char('\n')))
        expected.chop(1);
    EXPECT_EQ(shown, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RtfPlain,
    ::testing::Values(
        PlainCase{"cp1250 bytes",
                  "{\\rtf1\\ansi\\ansicpg1250 \\'c1rv\\'edzt\\'fbr\\'f5 t\\'fck\\'f6rf\\'far\\'f3g\\'e9p}",
                  "Árvíztűrő tükörfúrógép"},
        PlainCase{"cp1252 by default", "{\\rtf1\\ansi \\'e9\\'f5\\'80}", "éõ€"},
        PlainCase{"font charset 238 wins over the document code page",
                  "{\\rtf1\\ansi\\ansicpg1252{\\fonttbl{\\f0\\fcharset0 Arial;}{\\f1\\fcharset238 Arial CE;}}"
                  "\\f0 \\'f5 {\\f1 \\'f5\\'fb}\\'f5}",
                  "õ őűõ"},
        PlainCase{"unicode with its one fallback character", "{\\rtf1 \\u337?\\u369?r\\u-4?}", "őűr\uFFFC"},
        PlainCase{"uc2 skips two, a hex byte counts as one",
                  "{\\rtf1\\ansicpg1250\\uc2 a\\u8594->b\\u337\\'f5xc}", "a→bőc"},
        PlainCase{"uc resets with its group", "{\\rtf1 {\\uc2 \\u337 ab}\\u369 cd}", "őűd"},
        PlainCase{"paragraphs, lines and tabs",
                  "{\\rtf1 egy\\par kett\\'f5\\line h\\'e1rom\\tab n\\'e9gy\\par}",
                  "egy\nkettõ\nhárom\tnégy\n"},
        PlainCase{"escaped symbols", "{\\rtf1 a\\{b\\}c\\\\d\\~e\\-f}", "a{b}c\\d\u00A0ef"},
        PlainCase{
            "destinations not shown",
            "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red1\\green2\\blue3;}{\\stylesheet{\\s0 Normal;}}"
            "{\\info{\\title Cim}{\\author X}}{\\*\\generator Valami;}{\\*\\unknown titok}"
            "{\\pict\\wmetafile8 0102}sz\\'f6veg}",
            "szöveg"},
        PlainCase{"a field shows its result",
                  "{\\rtf1 {\\field{\\*\\fldinst HYPERLINK x}{\\fldrslt link}} ok}", "link ok"},
        PlainCase{"binary data skipped", "{\\rtf1 a{\\pict\\bin4 }}}}b}c}", "ac"},
        PlainCase{"control word space is eaten, a digit ends the parameter", "{\\rtf1\\b bold\\b0  plain}",
                  "bold plain"},
        PlainCase{"unbalanced: missing closing braces", "{\\rtf1 {\\b eleje {\\i k\\'f6zepe", "eleje közepe"},
        PlainCase{"unbalanced: stray closing braces", "{\\rtf1 a}}}b}", "ab"},
        PlainCase{"truncated inside a control word and a hex byte", "{\\rtf1 abc\\'f", "abc"},
        PlainCase{"truncated after a backslash", "{\\rtf1 abc\\", "abc"},
        PlainCase{
            "an overlong control word and parameter",
            "{\\rtf1 \\aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa99999999999999999999999 x}",
            "x"}));

TEST(RtfReader, NotRtfIsRefused) {
    QTextDocument doc;
    doc.setPlainText(QStringLiteral("old"));
    const RtfText r = readRtf("just text", &doc);
    EXPECT_FALSE(r.isRtf);
    EXPECT_TRUE(r.plain.isEmpty());
    EXPECT_TRUE(doc.isEmpty());
    EXPECT_FALSE(readRtf(QByteArray()).isRtf);
    EXPECT_TRUE(readRtf("\xEF\xBB\xBF  {\\rtf1 x}").isRtf);
}

// Bold, italic, underline and size reach the box, each on its own run.
TEST(RtfReader, FormattingReachesTheDocument) {
    QTextDocument doc;
    readRtf("{\\rtf1 {\\b vastag}{\\i d\\'f5lt}{\\ul al\\'e1h\\ulnone 0}{\\fs40 nagy}\\plain sima}", &doc);
    struct Run {
        QString text;
        bool bold, italic, underline;
        double points; // 0: not set
    };
    std::vector<Run> runs;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            runs.push_back({f.text(), cf.fontWeight() == QFont::Bold, cf.fontItalic(), cf.fontUnderline(),
                            cf.hasProperty(QTextFormat::FontPointSize) ? cf.fontPointSize() : 0.0});
        }
    ASSERT_EQ(runs.size(), 6u);
    const std::vector<Run> expected = {
        {u("vastag"), true, false, false, 0}, {u("dõlt"), false, true, false, 0},
        {u("aláh"), false, false, true, 0},   {u("0"), false, false, false, 0},
        {u("nagy"), false, false, false, 20}, {u("sima"), false, false, false, 0}};
    for (size_t i = 0; i < runs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(runs[i].text, expected[i].text);
        EXPECT_EQ(runs[i].bold, expected[i].bold);
        EXPECT_EQ(runs[i].italic, expected[i].italic);
        EXPECT_EQ(runs[i].underline, expected[i].underline);
        EXPECT_EQ(runs[i].points, expected[i].points);
    }
}

// Paragraph alignment, spacing and indents (twips) reach the blocks; \pard sets them back.
TEST(RtfReader, ParagraphFormatReachesTheBlocks) {
    QTextDocument doc;
    readRtf("{\\rtf1\\pard\\qc\\sb300\\sa150\\li600\\fi-300 egy\\par\\pard kett\\'f5}", &doc);
    ASSERT_EQ(doc.blockCount(), 2);
    const QTextBlockFormat first = doc.begin().blockFormat();
    EXPECT_EQ(first.alignment(), Qt::AlignHCenter);
    EXPECT_EQ(first.topMargin(), 20);
    EXPECT_EQ(first.bottomMargin(), 10);
    EXPECT_EQ(first.leftMargin(), 40);
    EXPECT_EQ(first.textIndent(), -20);
    const QTextBlockFormat second = doc.begin().next().blockFormat();
    EXPECT_EQ(second.alignment(), Qt::AlignLeft);
    EXPECT_EQ(second.topMargin(), 0);
    EXPECT_EQ(second.leftMargin(), 0);
    EXPECT_EQ(doc.begin().next().text(), u("kettõ"));
}

QByteArray pngHex(const QImage& img) {
    QByteArray png;
    QBuffer buf(&png);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, "PNG");
    return png.toHex();
}

// A PNG picture shows in the box at its goal size; the plain text has no trace of it.
TEST(RtfReader, PngPictureShowsInTheBoxNotInThePlainText) {
    QImage img(4, 3, QImage::Format_RGB32);
    img.fill(Qt::red);
    const QByteArray rtf = "{\\rtf1 el\\'f5tte{\\*\\shppict{\\pict\\pngblip\\picwgoal1500\\pichgoal900 " +
                           pngHex(img) + "}}{\\nonshppict{\\pict\\wmetafile8 00ff}}ut\\'e1na}";
    QTextDocument doc;
    const RtfText r = readRtf(rtf, &doc);
    EXPECT_EQ(r.plain, u("elõtteutána"));
    int images = 0;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat cf = it.fragment().charFormat();
            if (!cf.isImageFormat())
                continue;
            ++images;
            const QTextImageFormat f = cf.toImageFormat();
            EXPECT_EQ(f.width(), 100);
            EXPECT_EQ(f.height(), 60);
            const QImage shown = doc.resource(QTextDocument::ImageResource, QUrl(f.name())).value<QImage>();
            EXPECT_EQ(shown.size(), QSize(4, 3));
            EXPECT_EQ(shown.pixelColor(0, 0), QColor(Qt::red));
        }
    EXPECT_EQ(images, 1);
    // A broken picture is dropped, the text around it stays.
    EXPECT_EQ(readRtf("{\\rtf1 a{\\pict\\pngblip 89504e47zz}b}", &doc).plain, u("ab"));
}

// Ten megabytes of nesting, of closing braces and of an endless group: read to the end without a stack
// overflow, with the text that stood inside.
TEST(RtfReader, DeepNestingIsReadWithoutRecursion) {
    const int depth = 10 * 1024 * 1024;
    QByteArray open = "{\\rtf1 a";
    open.append(QByteArray(depth, '{'));
    open.append("b");
    open.append(QByteArray(depth, '}'));
    open.append("c}");
    EXPECT_EQ(readRtf(open).plain, u("abc"));

    QByteArray unclosed = "{\\rtf1 x";
    unclosed.append(QByteArray(depth, '{'));
    unclosed.append("\\b y");
    QTextDocument doc;
    EXPECT_EQ(readRtf(unclosed, &doc).plain, u("xy"));

    QByteArray closing = "{\\rtf1 p";
    closing.append(QByteArray(depth, '}'));
    closing.append("q");
    EXPECT_EQ(readRtf(closing).plain, u("pq"));
}

// Formatting inside the groups that fit keeps to its group, also next to a group that is only counted.
TEST(RtfReader, GroupsRestoreTheirFormatting) {
    QByteArray rtf = "{\\rtf1 ";
    for (int i = 0; i < 2000; ++i)
        rtf += "{";
    rtf += "\\b mely";
    for (int i = 0; i < 2000; ++i)
        rtf += "}";
    rtf += " sima}";
    QTextDocument doc;
    EXPECT_EQ(readRtf(rtf, &doc).plain, u("mely sima"));
    QTextCursor c(&doc);
    c.movePosition(QTextCursor::End);
    EXPECT_NE(c.charFormat().fontWeight(), QFont::Bold);
}

// Random bytes and random RTF tokens: every input ends (bounded, seeded, so a failure repeats).
TEST(RtfReader, RandomInputIsReadToTheEnd) {
    std::mt19937 rng(20261210);
    static const char* const tokens[] = {"{",
                                         "}",
                                         "\\",
                                         "\\'",
                                         "\\'e1",
                                         "\\u",
                                         "\\u-",
                                         "\\u337",
                                         "\\uc",
                                         "\\uc3",
                                         "\\*",
                                         "\\pict",
                                         "\\pngblip",
                                         "\\bin",
                                         "\\bin5",
                                         "\\par",
                                         "\\b",
                                         "\\fs",
                                         "\\fs99999",
                                         "\\f",
                                         "\\fonttbl",
                                         "\\fcharset238",
                                         "a",
                                         " ",
                                         "0",
                                         "ff",
                                         "\\ansicpg1250",
                                         "\\field",
                                         "\\fldrslt"};
    QTextDocument doc;
    for (int round = 0; round < 3000; ++round) {
        QByteArray rtf = "{\\rtf1 ";
        const int n = static_cast<int>(rng() % 200);
        for (int i = 0; i < n; ++i) {
            if (rng() % 4 == 0)
                rtf += static_cast<char>(rng() % 256);
            else
                rtf += tokens[rng() % std::size(tokens)];
        }
        const RtfText r = readRtf(rtf, round % 2 ? &doc : nullptr);
        ASSERT_TRUE(r.isRtf);
    }
}

// What the writer escapes reads back as it was.
TEST(RtfReader, EscapedTextReadsBack) {
    const QString text = u("Őrült {kapcsos} \\ jel → Ű ő\tfül\nsor");
    const QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250 " + rtfEscape(text) + "}";
    EXPECT_FALSE(rtf.contains("\xC5")); // plain ASCII
    EXPECT_EQ(readRtf(rtf).plain, text);
}

} // namespace
