#pragma once

#include <QLabel>

// A one-line label that never asks for more room than a few characters: a
// text longer than the space it gets is shown cut short with "…", and the
// whole text is its tooltip. text() is always the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    // Shows `text` (elided when it does not fit) with the whole of it as the tooltip.
    void setFullText(const QString& text);
    // Whether the text shown now is cut short.
    bool isElided() const;

    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString shownText() const;
};
