#pragma once

#include <QFontMetricsF>
#include <QLabel>
#include <QLayout>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace lapora::test {

// Every label of a window whose text does not show whole in the label's own box, as
// "Label3 'Cég-vállalkozó neve:' needs 104x13, has 100x13". Layouts are laid out first, so labels inside
// them (navigation bars) count at the size they really get. Empty labels and labels hidden on purpose are
// left out; so are labels a window fills with data, if the caller empties them first.
inline QStringList clippedCaptions(QWidget* window) {
    for (QLayout* l : window->findChildren<QLayout*>())
        l->activate();
    QStringList out;
    for (const QLabel* l : window->findChildren<QLabel*>()) {
        const QString text = l->text();
        if (text.trimmed().isEmpty() || l->isHidden())
            continue;
        const int m = l->margin();
        const QRect r = l->contentsRect().adjusted(m, m, -m, -m);
        const QFontMetricsF fm(l->font());
        QSizeF need;
        if (l->wordWrap()) {
            // A word longer than the line does not break: the rectangle comes out wider than the label.
            need = fm.boundingRect(QRectF(r), Qt::TextWordWrap | l->alignment(), text).size();
        } else {
            double width = 0;
            const QStringList lines = text.split(QLatin1Char('\n'));
            for (const QString& line : lines)
                width = std::max(width, fm.horizontalAdvance(line));
            need = QSizeF(width, fm.height() * lines.size());
        }
        const QSize needed(static_cast<int>(std::ceil(need.width())),
                           static_cast<int>(std::ceil(need.height())));
        if (needed.width() > r.width() || needed.height() > r.height())
            out << QStringLiteral("%1 '%2' needs %3x%4, has %5x%6")
                       .arg(l->objectName(), text)
                       .arg(needed.width())
                       .arg(needed.height())
                       .arg(r.width())
                       .arg(r.height());
    }
    return out;
}

} // namespace lapora::test
