#pragma once

#include "shell/papersize.h"

#include <QByteArray>
#include <QString>

class Rehearsal;

// The rehearsal's result on paper, for the meet's records: when it ran and
// what it found, then one line per seat (seat, device, how it was checked,
// its result), laid out as the meet's other printed documents.
namespace RehearsalPdf {

// The PDF; empty, with the reason in `error`, when it could not be made.
QByteArray render(const QString& meetName, const Rehearsal& rehearsal, PaperSize::Size paper,
                  QString* error = nullptr);

} // namespace RehearsalPdf
