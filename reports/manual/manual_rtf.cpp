// Writes the user manual as RTF from its text (a light markup, UTF-8) and the window pictures it names.
//   # title, ## heading, ### subheading, - list item, ![caption](picture.png), **bold**; a blank line ends a
//   paragraph. Pictures are embedded as PNG (\pngblip) at most kMaxWidth twips wide; a picture not made yet
//   (docs/ has no such file) is left out with its caption, with a note on stderr.
#include "RtfReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

namespace {

constexpr int kMaxWidth = 9600; // twips: what fits a portrait page and the manual window's box
constexpr int kTwipsPerPixel = 15;

QByteArray inline_(const QString& text) {
    // **bold** runs; the rest escaped.
    QByteArray out;
    const QStringList parts = text.split(QStringLiteral("**"));
    for (qsizetype i = 0; i < parts.size(); ++i) {
        if (i % 2 == 1)
            out += "{\\b " + lapora::rtfEscape(parts[i]) + "}";
        else
            out += lapora::rtfEscape(parts[i]);
    }
    return out;
}

QByteArray picture(const QString& path, bool& ok) {
    QFile f(path);
    ok = f.open(QIODevice::ReadOnly);
    if (!ok)
        return {};
    const QByteArray png = f.readAll();
    QImage img;
    ok = img.loadFromData(png, "PNG");
    if (!ok)
        return {};
    int w = img.width() * kTwipsPerPixel;
    int h = img.height() * kTwipsPerPixel;
    if (w > kMaxWidth) {
        h = h * kMaxWidth / w;
        w = kMaxWidth;
    }
    QByteArray out = "{\\pict\\pngblip\\picw" + QByteArray::number(img.width()) + "\\pich" +
                     QByteArray::number(img.height()) + "\\picwgoal" + QByteArray::number(w) + "\\pichgoal" +
                     QByteArray::number(h) + "\n";
    const QByteArray hex = png.toHex();
    for (qsizetype i = 0; i < hex.size(); i += 128)
        out += hex.mid(i, 128) + "\n";
    out += "}";
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication::setAttribute(Qt::AA_Use96Dpi);
    if (argc != 4) {
        std::fprintf(stderr, "usage: manual_rtf <text> <picture folder> <out.rtf>\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "manual_rtf: cannot read %s\n", argv[1]);
        return 1;
    }
    const QString pictures = QString::fromLocal8Bit(argv[2]);
    const QStringList lines = QString::fromUtf8(in.readAll()).split(QLatin1Char('\n'));

    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1250\\deff0\\uc1"
                     "{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}"
                     "{\\info{\\title Lapora - Felhaszn\\'e1l\\'f3i k\\'e9zik\\'f6nyv}}\n"
                     "\\f0\\fs20\n";
    QString para;
    const auto endParagraph = [&] {
        if (para.isEmpty())
            return;
        rtf += "\\pard\\sa120 " + inline_(para) + "\\par\n";
        para.clear();
    };
    static const QRegularExpression pic(QStringLiteral("^!\\[(.*)\\]\\((.+)\\)\\s*$"));
    for (QString line : lines) {
        line.remove(QLatin1Char('\r'));
        const QString t = line.trimmed();
        if (t.isEmpty()) {
            endParagraph();
        } else if (t.startsWith(QLatin1String("### "))) {
            endParagraph();
            rtf += "\\pard\\sb120\\sa60\\keepn{\\b\\i\\fs22 " + inline_(t.mid(4)) + "}\\par\n";
        } else if (t.startsWith(QLatin1String("## "))) {
            endParagraph();
            rtf += "\\pard\\sb240\\sa120\\keepn{\\b\\fs28 " + inline_(t.mid(3)) + "}\\par\n";
        } else if (t.startsWith(QLatin1String("# "))) {
            endParagraph();
            rtf += "\\pard\\qc\\sa240{\\b\\fs36 " + inline_(t.mid(2)) + "}\\par\n";
        } else if (t.startsWith(QLatin1String("- "))) {
            endParagraph();
            rtf += "\\pard\\li360\\fi-240\\sa60 \\bullet  " + inline_(t.mid(2)) + "\\par\n";
        } else if (const auto m = pic.match(t); m.hasMatch()) {
            endParagraph();
            bool ok = false;
            const QByteArray p = picture(pictures + QLatin1Char('/') + m.captured(2), ok);
            // A window not pictured yet leaves no caption without its picture behind.
            if (!ok) {
                std::fprintf(stderr, "manual_rtf: no picture %s (left out)\n", qPrintable(m.captured(2)));
                continue;
            }
            rtf += "\\pard\\qc\\sb120 " + p + "\\par\n";
            rtf += "\\pard\\qc\\sa240{\\i " + inline_(m.captured(1)) + "}\\par\n";
        } else {
            if (!para.isEmpty())
                para += QLatin1Char(' ');
            para += t;
        }
    }
    endParagraph();
    rtf += "}\n";

    const QString outPath = QString::fromLocal8Bit(argv[3]);
    QDir().mkpath(QFileInfo(outPath).absolutePath());
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(rtf) != rtf.size() || !out.commit()) {
        std::fprintf(stderr, "manual_rtf: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
