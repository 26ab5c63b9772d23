#include "ui/PathLabel.h"

#include <QPainter>
#include <QTextLayout>

namespace corvantis {

QStringList PathLabel::wrap(const QString &text) const {
    QTextLayout layout(text, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(contentsRect().width());
        lines << text.mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

QStringList PathLabel::shownLines() const {
    const int room = std::max(1, contentsRect().height() / fontMetrics().lineSpacing());
    const QString path = text();
    QStringList lines = wrap(path);
    // Drop leading characters until the rest, after an ellipsis, fits.
    for (int drop = 1; lines.size() > room && drop < path.size(); ++drop)
        lines = wrap(QChar(0x2026) + path.mid(drop));
    return lines;
}

void PathLabel::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    const int step = fontMetrics().lineSpacing();
    int top = area.top();
    for (const QString &line : shownLines()) {
        painter.drawText(QRect(area.left(), top, area.width(), step),
                         Qt::AlignLeft | Qt::AlignVCenter, line);
        top += step;
    }
}

} // namespace corvantis
