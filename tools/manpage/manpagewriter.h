#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

// Writes a manual page (roff, man macros) from pages of the user manual.
// The pages are XHTML-compatible HTML: every element closed, no named
// entities beyond XML's own. The first page gives the page's NAME line (its
// <meta name="description">) and its sections (<h2>); every later page
// becomes one more section named by its <h1>. Pictures, the navigation
// (class "nav") and anything of class "html-only" are left out.
class ManPageWriter {
public:
    ManPageWriter(const QString& name, int section, const QString& version);

    // Adds one page; false with errorString() when it cannot be read.
    bool addPage(QIODevice& page, const QString& pageName);
    QString errorString() const { return mError; }

    QByteArray text() const;

private:
    QString mName;
    int mSection;
    QString mVersion;
    QString mDescription;
    QString mBody;
    int mPages = 0;
    QString mError;
};
