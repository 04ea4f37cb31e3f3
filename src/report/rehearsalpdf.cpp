#include "rehearsalpdf.h"

#include "console/rehearsal.h"
#include "printedpages.h"

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr qreal SeatWidth = 130;
constexpr qreal DeviceWidth = 150;
constexpr qreal CheckWidth = 110;

QString deviceText(const Rehearsal::Line& line) {
    return line.address.isEmpty() ? QString() : u"%1 (%2)"_s.arg(line.address, line.transport);
}

} // namespace

namespace RehearsalPdf {

QByteArray render(const QString& meetName, const Rehearsal& rehearsal, PaperSize::Size paper,
                  QString* error) {
    const auto draw = [&rehearsal](PrintedPages& pages) {
        const QList<PrintedColumn> columns{
            {u"Seat"_s, SeatWidth},
            {u"Device"_s, DeviceWidth},
            {u"Checked by"_s, CheckWidth},
            {u"Result"_s, pages.width() - SeatWidth - DeviceWidth - CheckWidth}};
        pages.startPage(rehearsal.statusText());
        const QList<Rehearsal::Line> lines = rehearsal.lines();
        if (lines.isEmpty()) {
            pages.line(u"No seat was checked."_s, 10);
            return;
        }
        const QString title = u"Seats"_s;
        pages.heading(title, columns);
        for (const Rehearsal::Line& line : lines)
            pages.tableRow(title, columns,
                           {line.seat, deviceText(line), line.checkText(), line.resultText()});
    };
    return PrintedPages::render({meetName, u"Rehearsal"_s, QDateTime::currentDateTime(), paper},
                                draw, error);
}

} // namespace RehearsalPdf
