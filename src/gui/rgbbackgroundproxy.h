#pragma once

#include <QIdentityProxyModel>

// Shows a core model's 0xRRGGBB background role as the view's background colour.
class RgbBackgroundProxy : public QIdentityProxyModel {
    Q_OBJECT

public:
    RgbBackgroundProxy(int rgbRole, QObject* parent = nullptr)
        : QIdentityProxyModel(parent)
        , mRgbRole(rgbRole) {}

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    int mRgbRole;
};
