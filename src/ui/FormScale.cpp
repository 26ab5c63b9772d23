#include "ui/FormScale.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>

#include <algorithm>

#include <cmath>

namespace corvantis {

namespace {

constexpr double DefaultPointSize = 9.0;

double pointSize(const QFont &font) {
    return font.pointSizeF() > 0 ? font.pointSizeF() : QFontInfo(font).pointSizeF();
}

} // namespace

double FormScale() {
    return std::max(1.0, pointSize(QApplication::font()) / DefaultPointSize);
}

void ScaleChildren(QWidget *form, double scale) {
    if (scale == 1.0)
        return;
    const auto at = [scale](int v) { return int(std::lround(v * scale)); };
    for (QWidget *child : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow())
            continue;
        const QRect r = child->geometry();
        child->setGeometry(QRect(QPoint(at(r.left()), at(r.top())),
                                 QPoint(at(r.right() + 1) - 1, at(r.bottom() + 1) - 1)));
    }
}

void FitLabels(QWidget *form) {
    for (QLabel *label : form->findChildren<QLabel *>()) {
        const int needed = label->sizeHint().width();
        if (label->wordWrap() || label->isWindow() || needed <= label->width())
            continue;
        QRect r = label->geometry();
        const int room = label->parentWidget()->width();
        const int grow = std::min(needed, room) - r.width();
        if (label->alignment() & Qt::AlignRight)
            r.setLeft(r.left() - grow);
        else if (label->alignment() & Qt::AlignHCenter)
            r.setLeft(r.left() - grow / 2);
        r.setWidth(std::min(needed, room));
        r.moveLeft(std::clamp(r.left(), 0, room - r.width()));
        label->setGeometry(r);
    }
}

QFont FixedFont() {
    static const QFont base = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    QFont font = base;
    font.setPointSizeF(DefaultPointSize * FormScale());
    return font;
}

FixedComboBox::FixedComboBox(QWidget *parent) : QComboBox(parent) {
    setFont(FixedFont());
    built_ = true;
}

void FixedComboBox::changeEvent(QEvent *event) {
    // While it is being built the box has no popup and no cached size to
    // update for a new font.
    if (!built_ && event->type() == QEvent::FontChange) {
        QWidget::changeEvent(event);
        return;
    }
    QComboBox::changeEvent(event);
}

} // namespace corvantis
