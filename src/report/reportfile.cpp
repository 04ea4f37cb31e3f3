#include "reportfile.h"

#include <QSaveFile>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

bool ReportFile::save(const QList<Contents>& files, QString* error) {
    std::vector<std::unique_ptr<QSaveFile>> written;
    const auto fail = [error](const QSaveFile& file) {
        if (error)
            *error = u"%1 could not be written: %2"_s.arg(file.fileName(), file.errorString());
        return false;
    };
    for (const Contents& contents : files) {
        auto file = std::make_unique<QSaveFile>(contents.path);
        if (!file->open(QIODevice::WriteOnly) ||
            file->write(contents.bytes) != contents.bytes.size())
            return fail(*file); // the temporary files go with their QSaveFile
        written.push_back(std::move(file));
    }
    for (const auto& file : written) {
        if (!file->commit())
            return fail(*file);
    }
    return true;
}
