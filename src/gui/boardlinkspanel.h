#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

// The links that open a board by itself, one per layout, with their QR
// codes: the operator types the board's name, and whoever sets up the TV
// points its camera at the code of the layout it should show. Each link
// carries the station PIN, which the panel says.
class BoardLinksPanel : public QWidget {
    Q_OBJECT

public:
    explicit BoardLinksPanel(QWidget* parent = nullptr);

    // The pages' address ("http://ADDRESS:PORT/"; empty: not served) and the
    // station PIN the links carry.
    void setAddress(const QString& address);
    void setPin(const QString& pin);
    // The link of one layout as its code holds it; empty while not served.
    QString link(const QString& layout) const;

private:
    void refresh();

    QString mAddress;
    QString mPin;
    QLineEdit* mName = nullptr;
    QLabel* mStatus = nullptr;
    QList<QLabel*> mCodes; // in the order of BoardLayout::layouts()
};
