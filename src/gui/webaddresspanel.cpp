#include "webaddresspanel.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <qrencode.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

WebAddressPanel::WebAddressPanel(const QString& caption, const QString& name, QWidget* parent)
    : QWidget(parent) {
    setObjectName(u"panel"_s + name);
    mAddress = new QLabel(this);
    mAddress->setObjectName(u"lbl"_s + name);
    mAddress->setTextInteractionFlags(Qt::TextSelectableByMouse);
    mCode = new QLabel(this);
    mCode->setObjectName(u"img"_s + name + u"Code"_s);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new QLabel(caption, this));
    layout->addWidget(mAddress);
    layout->addWidget(mCode);
    layout->addStretch();
    setAddress({});
}

void WebAddressPanel::setAddress(const QString& address) {
    mAddress->setText(address.isEmpty() ? u"not served"_s : address);
    const QImage code = address.isEmpty() ? QImage() : qrCode(address);
    mCode->setPixmap(QPixmap::fromImage(code));
    mCode->setVisible(!code.isNull());
}

QImage WebAddressPanel::qrCode(const QString& text, int scale) {
    const std::unique_ptr<QRcode, decltype(&QRcode_free)> code(
        QRcode_encodeString(text.toUtf8().constData(), 0, QR_ECLEVEL_M, QR_MODE_8, 1),
        &QRcode_free);
    if (!code)
        return {};
    constexpr int QuietModules = 4;
    const int modules = code->width + 2 * QuietModules;
    QImage image(modules, modules, QImage::Format_Mono);
    image.fill(0);
    image.setColor(0, qRgb(255, 255, 255));
    image.setColor(1, qRgb(0, 0, 0));
    for (int y = 0; y < code->width; ++y) {
        for (int x = 0; x < code->width; ++x) {
            if (code->data[y * code->width + x] & 1)
                image.setPixel(x + QuietModules, y + QuietModules, 1);
        }
    }
    return image.scaled(modules * scale, modules * scale);
}
