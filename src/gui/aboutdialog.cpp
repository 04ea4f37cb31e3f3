#include "aboutdialog.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

using namespace Qt::Literals::StringLiterals;

AboutDialog::AboutDialog(const QString& title, QWidget* parent)
    : QDialog(parent) {
    setObjectName(u"frmAbout"_s);
    setWindowTitle(u"About "_s + title);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* name = new QLabel(title, this);
    name->setObjectName(u"lblTitle"_s);
    QFont bigger = name->font();
    bigger.setPointSizeF(bigger.pointSizeF() * 1.6);
    bigger.setBold(true);
    name->setFont(bigger);
    auto* version = new QLabel(u"Version "_s + versionText(), this);
    version->setObjectName(u"lblVersion"_s);
    auto* description = new QLabel(u"Gymnastics Scoring System."_s, this);
    description->setObjectName(u"lblDescription"_s);
    auto* licence = new QLabel(licenceText(), this);
    licence->setObjectName(u"lblLicense"_s);
    licence->setWordWrap(true);
    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"cmdOK"_s);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(name);
    layout->addWidget(version);
    layout->addWidget(description);
    layout->addWidget(licence);
    layout->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString AboutDialog::versionText() {
    const QVersionNumber version =
        QVersionNumber::fromString(QString::fromLatin1(TALLVANE_VERSION));
    return u"%1.%2.%3"_s.arg(version.majorVersion())
        .arg(version.minorVersion())
        .arg(version.microVersion());
}

QString AboutDialog::licenceText() {
    return u"Tallvane is free software under the GNU General Public License, version 3 or "
           "later (GPL-3.0-or-later). It comes with no warranty."_s;
}
