#include "correctedrowproxy.h"

#include "scoreboard/queuegridmodel.h"

#include <QFont>

QVariant CorrectedRowProxy::data(const QModelIndex& index, int role) const {
    if (role == Qt::BackgroundRole)
        return QIdentityProxyModel::data(index, QueueGridModel::CorrectedRole).toBool()
                   ? CorrectedColour
                   : PlainColour;
    if (role == Qt::FontRole &&
        QIdentityProxyModel::data(index, QueueGridModel::HeldRole).toBool()) {
        QFont font;
        font.setBold(true);
        font.setItalic(true);
        return font;
    }
    return QIdentityProxyModel::data(index, role);
}
