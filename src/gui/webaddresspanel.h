#pragma once

#include <QWidget>

class QLabel;

// The address of the meet's web pages and its QR code, so a judge can point a
// tablet's camera at the server window instead of typing the address.
class WebAddressPanel : public QWidget {
    Q_OBJECT

public:
    explicit WebAddressPanel(QWidget* parent = nullptr);

    // Shows the address ("http://ADDRESS:PORT/") and its code; an empty
    // address says the pages are not served.
    void setAddress(const QString& address);

    // The QR code of a text, `scale` pixels a module, with its quiet zone;
    // a null image when the text cannot be encoded.
    static QImage qrCode(const QString& text, int scale = 4);

private:
    QLabel* mAddress = nullptr;
    QLabel* mCode = nullptr;
};
