#include "correctedrowproxy.h"

#include "scoreboard/queuegridmodel.h"

QVariant CorrectedRowProxy::data(const QModelIndex& index, int role) const {
    if (role == Qt::BackgroundRole)
        return QIdentityProxyModel::data(index, QueueGridModel::CorrectedRole).toBool()
                   ? CorrectedColour
                   : PlainColour;
    return QIdentityProxyModel::data(index, role);
}
