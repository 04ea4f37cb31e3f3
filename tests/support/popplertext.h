#pragma once

#include <QString>
#include <QStringList>

// What a PDF holds as poppler's tools read it; a tool that fails ends the run.
// `program`'s standard output for `arguments` (pdfinfo, pdftotext …).
QString poppler(const QString& program, const QStringList& arguments);
// The text of a PDF as `pdftotext -layout` lays it out, pages apart by form feeds.
QString pdfText(const QString& pdf);
