#pragma once

#include <QDialog>

// The About box: the program's title and version.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit AboutDialog(const QString& title, QWidget* parent = nullptr);

    // "major.minor.revision" of this build.
    static QString versionText();
};
