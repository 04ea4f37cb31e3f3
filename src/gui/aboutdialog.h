#pragma once

#include <QDialog>

// The About box: the program's title, version and licence.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(const QString& title, QWidget* parent = nullptr);

    // The licence the program is given under, as the box says it.
    static QString licenceText();

    // "major.minor.revision" of this build.
    static QString versionText();
};
