#include "importreport.h"

using namespace Qt::Literals::StringLiterals;

QString ImportReport::details() const {
    if (!ran())
        return error;
    QStringList lines;
    if (!refused.isEmpty()) {
        lines.append(refused.size() == 1 ? u"1 record was not imported:"_s
                                         : u"%1 records were not imported:"_s.arg(refused.size()));
        for (const Refused& r : refused)
            lines.append(u"[%1] (line %2): %3"_s.arg(r.record, QString::number(r.line), r.reason));
    }
    if (!missingTables.isEmpty()) {
        if (!lines.isEmpty())
            lines.append(QString());
        lines.append(u"The file ends early. These tables were not found or are incomplete: "_s +
                     missingTables.join(u", "_s));
    }
    if (!problems.isEmpty()) {
        if (!lines.isEmpty())
            lines.append(QString());
        lines.append(problems);
    }
    return lines.join(u"\r\n"_s);
}
