#pragma once

#include <QColor>
#include <QIdentityProxyModel>

// Paints the rows of the queue grid: a corrected score's row pink across all
// its cells, every other row white; a held score's row in bold italics, so it
// stands out whatever its colour.
class CorrectedRowProxy : public QIdentityProxyModel {
    Q_OBJECT

public:
    static inline const QColor CorrectedColour = QColor(235, 174, 174);
    static inline const QColor PlainColour = QColor(255, 255, 255);

    explicit CorrectedRowProxy(QObject* parent = nullptr)
        : QIdentityProxyModel(parent) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};
