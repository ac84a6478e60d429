#include "RtfReader.h"

#include <QImage>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QUrl>

#include <array>
#include <map>
#include <vector>

namespace lapora {

namespace {

// 0x80..0xFF of the two Windows code pages the program meets.
constexpr std::array<char16_t, 128> kCp1250 = {
    0x20AC, 0xFFFD, 0x201A, 0xFFFD, 0x201E, 0x2026, 0x2020, 0x2021, 0xFFFD, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0xFFFD, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};
constexpr std::array<char16_t, 32> kCp1252Low = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

QChar decodeByte(unsigned char b, int codepage) {
    if (b < 0x80)
        return QChar(b);
    if (codepage == 1250)
        return QChar(kCp1250[b - 0x80]);
    if (b < 0xA0)
        return QChar(kCp1252Low[b - 0x80]);
    return QChar(b); // 1252 above 0x9F is Latin-1
}

int codepageOfCharset(long charset) {
    switch (charset) {
    case 238: // Eastern European
        return 1250;
    case 0: // ANSI
        return 1252;
    default:
        return 0; // unknown: the document's code page
    }
}

// Beyond this depth groups are only counted: a file of nested braces costs no memory.
constexpr size_t kMaxDepth = 1024;
// A picture larger than this is not decoded (the box has no use for it).
constexpr qsizetype kMaxPicture = 32 * 1024 * 1024;

enum class Dest { Text, Skip, FontTable, Picture };

struct State {
    Dest dest = Dest::Text;
    int uc = 1; // fallback characters after \uN
    bool bold = false, italic = false, underline = false;
    int halfPoints = 0; // 0: the box's own size
    int font = -1;
    // The paragraph: alignment, space before and after, left and first-line indent (twips).
    Qt::Alignment align = Qt::AlignLeft;
    int spaceBefore = 0, spaceAfter = 0, leftIndent = 0, firstIndent = 0;
};

struct Picture {
    bool shown = false; // PNG or JPEG
    long widthGoal = 0, heightGoal = 0, scaleX = 100, scaleY = 100;
    QByteArray data;
    int nibble = -1;
};

class Parser {
public:
    Parser(const QByteArray& in, QTextDocument* doc) : in_(in), doc_(doc) {
        if (doc_) {
            doc_->clear();
            cursor_ = QTextCursor(doc_);
        }
    }

    RtfText run() {
        RtfText r;
        qsizetype i = in_.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        while (i < in_.size() && (in_[i] == ' ' || in_[i] == '\r' || in_[i] == '\n' || in_[i] == '\t'))
            ++i;
        if (!in_.mid(i, 5).startsWith("{\\rtf"))
            return r;
        r.isRtf = true;
        stack_.push_back(State{});
        pos_ = i;
        parse();
        flush();
        r.plain = plain_;
        return r;
    }

private:
    State& top() { return stack_.back(); }

    void parse() {
        const qsizetype n = in_.size();
        while (pos_ < n) {
            const char c = in_[pos_];
            if (c == '{') {
                ++pos_;
                openGroup();
            } else if (c == '}') {
                ++pos_;
                closeGroup();
            } else if (c == '\\') {
                ++pos_;
                control();
            } else {
                ++pos_;
                if (c == '\r' || c == '\n')
                    continue;
                if (top().dest == Dest::Picture) {
                    pictureHex(c);
                    continue;
                }
                if (c == '\t') {
                    emitChar(QChar('\t'));
                    continue;
                }
                if (static_cast<unsigned char>(c) < 0x20)
                    continue;
                emitChar(decodeByte(static_cast<unsigned char>(c), codepage()));
            }
        }
    }

    void openGroup() {
        ucSkip_ = 0;
        if (stack_.size() >= kMaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(top());
        starred_ = false;
        groupStart_ = true;
    }

    void closeGroup() {
        ucSkip_ = 0;
        groupStart_ = false;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (stack_.size() <= 1)
            return; // a stray closing brace
        const State ended = top();
        if (ended.dest == Dest::Picture && stack_[stack_.size() - 2].dest != Dest::Picture)
            endPicture();
        if (ended.dest == Dest::Text)
            flush();
        stack_.pop_back();
    }

    // A control word or symbol after its backslash.
    void control() {
        const qsizetype n = in_.size();
        if (pos_ >= n)
            return;
        const char c = in_[pos_];
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        if (!letter) {
            ++pos_;
            symbol(c);
            return;
        }
        qsizetype start = pos_;
        while (pos_ < n && pos_ - start < 32 &&
               ((in_[pos_] >= 'a' && in_[pos_] <= 'z') || (in_[pos_] >= 'A' && in_[pos_] <= 'Z')))
            ++pos_;
        const QByteArray word = in_.mid(start, pos_ - start);
        while (pos_ < n && ((in_[pos_] >= 'a' && in_[pos_] <= 'z') || (in_[pos_] >= 'A' && in_[pos_] <= 'Z')))
            ++pos_; // an overlong word: the rest is dropped
        bool hasParam = false;
        bool negative = false;
        long param = 0;
        if (pos_ < n && in_[pos_] == '-' && pos_ + 1 < n && in_[pos_ + 1] >= '0' && in_[pos_ + 1] <= '9') {
            negative = true;
            ++pos_;
        }
        int digits = 0;
        while (pos_ < n && in_[pos_] >= '0' && in_[pos_] <= '9') {
            if (digits < 10)
                param = param * 10 + (in_[pos_] - '0');
            ++digits;
            ++pos_;
        }
        if (digits > 0)
            hasParam = true;
        if (negative)
            param = -param;
        if (pos_ < n && in_[pos_] == ' ')
            ++pos_;
        controlWord(word, hasParam, param);
    }

    void symbol(char c) {
        const bool wasStart = groupStart_;
        groupStart_ = false;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            plainChar(QChar(c));
            return;
        case '\'': {
            const int hi = pos_ < in_.size() ? hexValue(in_[pos_]) : -1;
            const int lo = pos_ + 1 < in_.size() ? hexValue(in_[pos_ + 1]) : -1;
            if (hi < 0 || lo < 0) {
                pos_ = std::min(pos_ + 2, in_.size());
                return;
            }
            pos_ += 2;
            if (top().dest == Dest::Picture)
                return;
            emitChar(decodeByte(static_cast<unsigned char>(hi * 16 + lo), codepage()));
            return;
        }
        case '*':
            starred_ = wasStart;
            groupStart_ = wasStart;
            return;
        case '~':
            emitChar(QChar(0x00A0));
            return;
        case '_':
            emitChar(QChar(0x2011));
            return;
        case '-':
            return; // optional hyphen
        case '\r':
        case '\n':
            controlWord("par", false, 0);
            return;
        case '\t':
            emitChar(QChar('\t'));
            return;
        default:
            return;
        }
    }

    void plainChar(QChar ch) {
        if (top().dest == Dest::Picture)
            return;
        emitChar(ch);
    }

    static int hexValue(char c) {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    static bool isSkippedDestination(const QByteArray& w) {
        static const char* const kSkipped[] = {"fonttbl",
                                               "colortbl",
                                               "stylesheet",
                                               "info",
                                               "header",
                                               "headerl",
                                               "headerr",
                                               "headerf",
                                               "footer",
                                               "footerl",
                                               "footerr",
                                               "footerf",
                                               "footnote",
                                               "listtable",
                                               "listoverridetable",
                                               "revtbl",
                                               "rsidtbl",
                                               "filetbl",
                                               "generator",
                                               "xmlnstbl",
                                               "themedata",
                                               "colorschememapping",
                                               "latentstyles",
                                               "datastore",
                                               "object",
                                               "objdata",
                                               "nonshppict",
                                               "fldinst",
                                               "pn",
                                               "private",
                                               "bkmkstart",
                                               "bkmkend",
                                               "template",
                                               "userprops",
                                               "docvar",
                                               "mmathPr",
                                               "pgdsctbl",
                                               "author",
                                               "operator",
                                               "title",
                                               "subject",
                                               "keywords",
                                               "comment",
                                               "doccomm",
                                               "company",
                                               "category",
                                               "manager",
                                               "hlinkbase",
                                               "xe",
                                               "tc",
                                               "atnid",
                                               "atnauthor",
                                               "annotation",
                                               "txe",
                                               "rxe",
                                               "passwordhash",
                                               "wgrffmtfilter",
                                               "ftnsep",
                                               "ftnsepc",
                                               "aftnsep",
                                               "aftnsepc",
                                               "ftncn",
                                               "aftncn"};
        for (const char* s : kSkipped)
            if (w == s)
                return true;
        return false;
    }

    void controlWord(const QByteArray& w, bool hasParam, long param) {
        State& s = top();
        const bool wasStart = groupStart_;
        const bool starred = starred_;
        groupStart_ = false;
        starred_ = false;

        if (w == "bin") {
            // Raw bytes follow: skip them whatever the destination (the box shows no binary picture).
            const qsizetype len = hasParam && param > 0 ? param : 0;
            pos_ = std::min(in_.size(), pos_ + len);
            return;
        }
        if (s.dest == Dest::Skip)
            return;

        if (wasStart) {
            if (w == "fonttbl") {
                s.dest = Dest::FontTable;
                return;
            }
            if (w == "pict") {
                if (s.dest == Dest::Text) {
                    flush();
                    s.dest = Dest::Picture;
                    picture_ = Picture{};
                } else {
                    s.dest = Dest::Skip;
                }
                return;
            }
            if (w == "shppict" || w == "fldrslt" || w == "field")
                return; // shown: the picture or the field's result inside
            if (starred || isSkippedDestination(w)) {
                if (s.dest == Dest::Text)
                    flush();
                s.dest = Dest::Skip;
                return;
            }
        }

        if (s.dest == Dest::FontTable) {
            if (w == "f" && hasParam)
                tableFont_ = static_cast<int>(param);
            else if (w == "fcharset" && hasParam && tableFont_ >= 0) {
                const int cp = codepageOfCharset(param);
                if (cp != 0 && fontCodepages_.size() < 4096)
                    fontCodepages_[tableFont_] = cp;
            }
            return;
        }
        if (s.dest == Dest::Picture) {
            if (w == "pngblip" || w == "jpegblip")
                picture_.shown = true;
            else if (w == "picwgoal")
                picture_.widthGoal = param;
            else if (w == "pichgoal")
                picture_.heightGoal = param;
            else if (w == "picscalex")
                picture_.scaleX = param;
            else if (w == "picscaley")
                picture_.scaleY = param;
            return;
        }

        if (ucSkip_ > 0) {
            --ucSkip_; // a control word of the \uN fallback
            return;
        }

        if (w == "par" || w == "sect" || w == "page") {
            paragraph();
        } else if (w == "line") {
            emitChar(QChar::LineSeparator);
        } else if (w == "tab") {
            emitChar(QChar('\t'));
        } else if (w == "u" && hasParam) {
            long v = param;
            if (v < 0)
                v += 65536;
            if (v >= 0 && v <= 0xFFFF)
                emitChar(QChar(static_cast<char16_t>(v)));
            ucSkip_ = s.uc;
        } else if (w == "uc" && hasParam) {
            s.uc = static_cast<int>(std::clamp(param, 0L, 10L));
        } else if (w == "ansicpg" && hasParam) {
            docCodepage_ = param == 1250 ? 1250 : 1252;
        } else if (w == "b") {
            s.bold = !hasParam || param != 0;
        } else if (w == "i") {
            s.italic = !hasParam || param != 0;
        } else if (w == "ul") {
            s.underline = !hasParam || param != 0;
        } else if (w == "ulnone") {
            s.underline = false;
        } else if (w == "fs") {
            s.halfPoints = hasParam ? static_cast<int>(std::clamp(param, 2L, 400L)) : 0;
        } else if (w == "f" && hasParam) {
            s.font = static_cast<int>(param);
        } else if (w == "plain") {
            s.bold = s.italic = s.underline = false;
            s.halfPoints = 0;
        } else if (w == "pard") {
            s.align = Qt::AlignLeft;
            s.spaceBefore = s.spaceAfter = s.leftIndent = s.firstIndent = 0;
        } else if (w == "sb") {
            s.spaceBefore = twips(param);
        } else if (w == "sa") {
            s.spaceAfter = twips(param);
        } else if (w == "li") {
            s.leftIndent = twips(param);
        } else if (w == "fi") {
            s.firstIndent = twips(param);
        } else if (w == "qc") {
            s.align = Qt::AlignHCenter;
        } else if (w == "qr") {
            s.align = Qt::AlignRight;
        } else if (w == "qj") {
            s.align = Qt::AlignJustify;
        } else if (w == "ql") {
            s.align = Qt::AlignLeft;
        } else if (w == "emdash") {
            emitChar(QChar(0x2014));
        } else if (w == "endash") {
            emitChar(QChar(0x2013));
        } else if (w == "bullet") {
            emitChar(QChar(0x2022));
        } else if (w == "lquote") {
            emitChar(QChar(0x2018));
        } else if (w == "rquote") {
            emitChar(QChar(0x2019));
        } else if (w == "ldblquote") {
            emitChar(QChar(0x201C));
        } else if (w == "rdblquote") {
            emitChar(QChar(0x201D));
        }
    }

    int codepage() const {
        const int f = stack_.back().font;
        if (f >= 0) {
            const auto it = fontCodepages_.find(f);
            if (it != fontCodepages_.end())
                return it->second;
        }
        return docCodepage_;
    }

    void emitChar(QChar ch) {
        const State& s = top();
        if (s.dest != Dest::Text)
            return;
        if (ucSkip_ > 0) {
            --ucSkip_;
            return;
        }
        plain_ += ch == QChar::LineSeparator ? QChar('\n') : ch;
        if (!doc_)
            return;
        if (!run_.isEmpty() && !sameLook(s, runState_))
            flush();
        if (run_.isEmpty())
            runState_ = s;
        run_ += ch;
    }

    static int twips(long v) { return static_cast<int>(std::clamp(v, -20000L, 20000L)); }

    static bool sameLook(const State& a, const State& b) {
        return a.bold == b.bold && a.italic == b.italic && a.underline == b.underline &&
               a.halfPoints == b.halfPoints && a.align == b.align && a.spaceBefore == b.spaceBefore &&
               a.spaceAfter == b.spaceAfter && a.leftIndent == b.leftIndent && a.firstIndent == b.firstIndent;
    }

    // 15 twips make a pixel at 96 dpi.
    static QTextBlockFormat blockFormat(const State& s) {
        QTextBlockFormat bf;
        bf.setAlignment(s.align);
        bf.setTopMargin(s.spaceBefore / 15.0);
        bf.setBottomMargin(s.spaceAfter / 15.0);
        bf.setLeftMargin(s.leftIndent / 15.0);
        bf.setTextIndent(s.firstIndent / 15.0);
        return bf;
    }

    static QTextCharFormat format(const State& s) {
        QTextCharFormat f;
        if (s.bold)
            f.setFontWeight(QFont::Bold);
        if (s.italic)
            f.setFontItalic(true);
        if (s.underline)
            f.setFontUnderline(true);
        if (s.halfPoints > 0)
            f.setFontPointSize(s.halfPoints / 2.0);
        return f;
    }

    void flush() {
        if (!doc_ || run_.isEmpty())
            return;
        cursor_.mergeBlockFormat(blockFormat(runState_));
        cursor_.insertText(run_, format(runState_));
        run_.clear();
    }

    void paragraph() {
        if (top().dest != Dest::Text)
            return;
        ucSkip_ = 0;
        plain_ += QChar('\n');
        if (!doc_)
            return;
        flush();
        cursor_.mergeBlockFormat(blockFormat(top()));
        cursor_.insertBlock();
    }

    void pictureHex(char c) {
        const int v = hexValue(c);
        if (v < 0 || !picture_.shown || !doc_ || picture_.data.size() >= kMaxPicture)
            return;
        if (picture_.nibble < 0) {
            picture_.nibble = v;
        } else {
            picture_.data.append(static_cast<char>(picture_.nibble * 16 + v));
            picture_.nibble = -1;
        }
    }

    void endPicture() {
        if (!doc_ || !picture_.shown || picture_.data.isEmpty())
            return;
        QImage image;
        if (!image.loadFromData(picture_.data) || image.isNull())
            return;
        const QString name = QStringLiteral("rtfpict://%1").arg(++pictures_);
        doc_->addResource(QTextDocument::ImageResource, QUrl(name), image);
        QTextImageFormat f;
        f.setName(name);
        // The goal size is in twips; 15 twips make a pixel at 96 dpi.
        double w = picture_.widthGoal > 0 ? picture_.widthGoal / 15.0 : image.width();
        double h = picture_.heightGoal > 0 ? picture_.heightGoal / 15.0 : image.height();
        w = w * std::clamp(picture_.scaleX, 1L, 1000L) / 100.0;
        h = h * std::clamp(picture_.scaleY, 1L, 1000L) / 100.0;
        f.setWidth(std::clamp(w, 1.0, 4000.0));
        f.setHeight(std::clamp(h, 1.0, 4000.0));
        cursor_.insertImage(f);
        picture_ = Picture{};
    }

    const QByteArray& in_;
    QTextDocument* doc_;
    QTextCursor cursor_;
    qsizetype pos_ = 0;
    std::vector<State> stack_;
    size_t overflow_ = 0;
    bool starred_ = false;
    bool groupStart_ = false;
    int ucSkip_ = 0;
    int docCodepage_ = 1252;
    int tableFont_ = -1;
    std::map<int, int> fontCodepages_;
    QString plain_;
    QString run_;
    State runState_;
    Picture picture_;
    int pictures_ = 0;
};

} // namespace

RtfText readRtf(const QByteArray& rtf, QTextDocument* doc) {
    if (doc)
        doc->clear();
    return Parser(rtf, doc).run();
}

QByteArray rtfEscape(const QString& text) {
    QByteArray out;
    out.reserve(text.size() + text.size() / 4);
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u == '\\' || u == '{' || u == '}') {
            out += '\\';
            out += static_cast<char>(u);
        } else if (u == '\n') {
            out += "\\line ";
        } else if (u == '\t') {
            out += "\\tab ";
        } else if (u >= 0x20 && u < 0x80) {
            out += static_cast<char>(u);
        } else if (u < 0x20) {
            continue;
        } else {
            int byte = -1;
            for (int b = 0; b < 128; ++b)
                if (kCp1250[b] == u && u != 0xFFFD) {
                    byte = 0x80 + b;
                    break;
                }
            if (byte >= 0)
                out += QByteArray("\\'") + QByteArray::number(byte, 16).rightJustified(2, '0');
            else
                out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + "?";
        }
    }
    return out;
}

} // namespace lapora
