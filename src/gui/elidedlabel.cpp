#include "elidedlabel.h"

#include <QPainter>
#include <QStyle>

namespace {

// Room for the start of a description and the "…".
constexpr int MinimumCharacters = 8;

} // namespace

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent) {}

void ElidedLabel::setFullText(const QString& text) {
    setText(text);
    setToolTip(text);
}

bool ElidedLabel::isElided() const {
    return shownText() != text();
}

QSize ElidedLabel::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    return {fontMetrics().averageCharWidth() * MinimumCharacters + margins.left() + margins.right(),
            QLabel::minimumSizeHint().height()};
}

QString ElidedLabel::shownText() const {
    return fontMetrics().elidedText(text(), Qt::ElideRight, contentsRect().width());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    style()->drawItemText(&painter, contentsRect(), int(alignment()), palette(), isEnabled(),
                          shownText(), foregroundRole());
}
