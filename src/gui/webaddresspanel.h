#pragma once

#include <QWidget>

class QLabel;

// An address of the meet's web pages and its QR code, so a judge can point a
// tablet's camera (or a parent a phone's) at the server window instead of
// typing the address.
class WebAddressPanel : public QWidget {
    Q_OBJECT

public:
    // `caption` says what the address is for; the label and the code are named
    // "lbl" + name and "img" + name + "Code".
    WebAddressPanel(const QString& caption, const QString& name, QWidget* parent = nullptr);

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
