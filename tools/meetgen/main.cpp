// tallvane-meetgen: writes a made-up meet as a transfer file, for the demo meet
// and for benchmarks.
#include "meetgenerator.h"

#include <QCoreApplication>
#include <QSaveFile>
#include <QStringList>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

namespace {

int usage() {
    std::fputs("Usage: tallvane-meetgen [--gymnasts N] [--seed S] [--scores] OUTPUT.rxt\n", stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    MeetGenerator::Options options;
    QString output;
    const QStringList arguments = app.arguments().mid(1);
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        bool ok = true;
        if (argument == u"--gymnasts"_s && i + 1 < arguments.size())
            options.gymnasts = arguments[++i].toInt(&ok);
        else if (argument == u"--seed"_s && i + 1 < arguments.size())
            options.seed = arguments[++i].toUInt(&ok);
        else if (argument == u"--scores"_s)
            options.scores = true;
        else if (argument.startsWith(u'-') || !output.isEmpty())
            return usage();
        else
            output = argument;
        if (!ok || options.gymnasts < 0)
            return usage();
    }
    if (output.isEmpty())
        return usage();

    QSaveFile file(output);
    QString error;
    if (!file.open(QIODevice::WriteOnly) ||
        !MeetGenerator::write(MeetGenerator::build(options), &file, &error) || !file.commit()) {
        std::fprintf(stderr, "tallvane-meetgen: %s: %s\n", qPrintable(output),
                     qPrintable(error.isEmpty() ? file.errorString() : error));
        return 1;
    }
    return 0;
}
