#include "wrkrun.h"

#include <QProcess>
#include <QRegularExpression>

using namespace Qt::Literals::StringLiterals;

void runWrk(QObject& owner, quint16 port, const QString& path, WrkFigures& figures,
            std::function<void(const QString&)> failed, std::function<void()> then) {
    auto* wrk = new QProcess(&owner); // deleted below, once it has finished
    QObject::connect(wrk, &QProcess::finished, &owner, [wrk, &figures, failed, then, path] {
        const QString said = QString::fromLocal8Bit(wrk->readAllStandardOutput());
        wrk->deleteLater();
        static const QRegularExpression rate(u"Requests/sec:\\s+([0-9.]+)"_s);
        static const QRegularExpression trouble(u"^\\s*(Non-2xx.*|Socket errors.*)$"_s,
                                                QRegularExpression::MultilineOption);
        const auto match = rate.match(said);
        if (!match.hasMatch())
            return failed(u"wrk said nothing of "_s + path + u": "_s + said);
        figures.perSecond = match.captured(1).toDouble();
        for (auto it = trouble.globalMatch(said); it.hasNext();)
            figures.trouble += it.next().captured(1) + u"; "_s;
        then();
    });
    QObject::connect(wrk, &QProcess::errorOccurred, &owner, [failed](QProcess::ProcessError) {
        failed(u"wrk did not run (apt install wrk)"_s);
    });
    wrk->start(u"wrk"_s,
               {u"-t2"_s, u"-c50"_s, u"-d5s"_s, u"http://127.0.0.1:%1%2"_s.arg(port).arg(path)});
}
