#include "boardlinkspanel.h"

#include "console/boardlayout.h"
#include "webaddresspanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

// One row: the list above keeps its room.
constexpr int CodesPerRow = 6;

} // namespace

BoardLinksPanel::BoardLinksPanel(QWidget* parent)
    : QWidget(parent) {
    setObjectName(u"panelBoardLinks"_s);
    mName = new QLineEdit(u"Board"_s, this);
    mName->setObjectName(u"txtBoardName"_s);
    mName->setMaxLength(100);
    auto* nameRow = new QHBoxLayout;
    auto* caption = new QLabel(u"Codes that open a board by itself, for the board named:"_s, this);
    caption->setBuddy(mName);
    nameRow->addWidget(caption);
    nameRow->addWidget(mName, 1);
    auto* pinNote = new QLabel(u"Each code carries the station PIN: whoever scans it can open a "
                               "board and read the PIN the judges log in with."_s,
                               this);
    pinNote->setObjectName(u"lblBoardLinksPin"_s);
    pinNote->setWordWrap(true);
    mStatus = new QLabel(this);
    mStatus->setObjectName(u"lblBoardLinks"_s);
    auto* codes = new QGridLayout;
    const QStringList& layouts = BoardLayout::layouts();
    for (int i = 0; i < layouts.size(); ++i) {
        auto* code = new QLabel(this);
        code->setObjectName(u"imgBoard_%1Code"_s.arg(layouts[i]));
        code->setAlignment(Qt::AlignCenter);
        auto* label = new QLabel(BoardLayout::layoutLabel(layouts[i]), this);
        label->setAlignment(Qt::AlignCenter);
        codes->addWidget(code, (i / CodesPerRow) * 2, i % CodesPerRow);
        codes->addWidget(label, (i / CodesPerRow) * 2 + 1, i % CodesPerRow);
        mCodes.append(code);
    }
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(nameRow);
    layout->addWidget(pinNote);
    layout->addWidget(mStatus);
    layout->addLayout(codes);
    connect(mName, &QLineEdit::textChanged, this, &BoardLinksPanel::refresh);
    refresh();
}

void BoardLinksPanel::setAddress(const QString& address) {
    mAddress = address;
    refresh();
}

void BoardLinksPanel::setPin(const QString& pin) {
    mPin = pin;
    refresh();
}

QString BoardLinksPanel::link(const QString& layout) const {
    const QString name = mName->text().trimmed();
    if (mAddress.isEmpty() || name.isEmpty())
        return {};
    return BoardLayout::link(mAddress, name, layout, mPin);
}

void BoardLinksPanel::refresh() {
    const QStringList& layouts = BoardLayout::layouts();
    const bool served = !mAddress.isEmpty();
    mStatus->setText(!served ? u"The web pages are not served: no codes."_s
                     : mName->text().trimmed().isEmpty()
                         ? u"Type the board's name for its codes."_s
                         : u"Point the TV's camera at the code of the layout it should show."_s);
    for (int i = 0; i < layouts.size(); ++i) {
        const QString text = link(layouts[i]);
        const QImage code = text.isEmpty() ? QImage() : WebAddressPanel::qrCode(text, 3);
        mCodes[i]->setPixmap(QPixmap::fromImage(code));
        mCodes[i]->setToolTip(text);
        mCodes[i]->setVisible(!code.isNull());
    }
}
