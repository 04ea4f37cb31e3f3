#include "rgbbackgroundproxy.h"

#include <QColor>

QVariant RgbBackgroundProxy::data(const QModelIndex& index, int role) const {
    if (role == Qt::BackgroundRole) {
        const QVariant rgb = QIdentityProxyModel::data(index, mRgbRole);
        return rgb.isValid() ? QVariant(QColor::fromRgb(QRgb(rgb.toUInt()))) : QVariant();
    }
    return QIdentityProxyModel::data(index, role);
}
