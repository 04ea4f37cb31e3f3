#include "resultssavebuttons.h"

#include "db/meetdatabase.h"
#include "printedresults.h"
#include "reportfile.h"
#include "resultscsv.h"
#include "resultspdf.h"
#include "shell/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

ResultsSaveButtons::ResultsSaveButtons(MeetDatabase& db, Prompter& prompter,
                                       std::function<QString()> session,
                                       std::function<QString()> level, QWidget* parent)
    : QWidget(parent)
    , mDb(db)
    , mPrompter(prompter)
    , mSession(std::move(session))
    , mLevel(std::move(level)) {
    auto* pdf = new QPushButton(u"Save PDF…"_s, this);
    pdf->setObjectName(u"cmdSaveResultsPdf"_s);
    auto* csv = new QPushButton(u"Save CSV…"_s, this);
    csv->setObjectName(u"cmdSaveResultsCsv"_s);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pdf);
    layout->addWidget(csv);
    connect(pdf, &QPushButton::clicked, this, [this] { save(Format::Pdf); });
    connect(csv, &QPushButton::clicked, this, [this] { save(Format::Csv); });
}

void ResultsSaveButtons::save(Format format) {
    const bool pdf = format == Format::Pdf;
    const QFileInfo meet(mDb.filePath());
    const QString level = mLevel();
    const QString name = meet.completeBaseName() + u" session "_s + mSession() +
                         (level.isEmpty() ? QString() : u" level "_s + level) + u" results"_s +
                         (pdf ? u".pdf"_s : u".csv"_s);
    QPointer<ResultsSaveButtons> self(this);
    mPrompter.chooseSaveFile(pdf ? u"Save PDF"_s : u"Save CSV"_s,
                             pdf ? u"PDF Files(*.pdf)"_s : u"CSV Files(*.csv)"_s,
                             meet.dir().filePath(name), [self, format](const QString& path) {
                                 if (self && !path.isEmpty())
                                     self->write(format, path);
                             });
}

void ResultsSaveButtons::write(Format format, const QString& path) {
    PrintedResults printed;
    QString error;
    bool saved = PrintedResults::gather(mDb, mSession(), mLevel(), printed, &error);
    if (saved) {
        const QByteArray contents = format == Format::Pdf ? ResultsPdf::render(printed, &error)
                                                          : ResultsCsv::render(printed);
        saved = !contents.isEmpty() && ReportFile::save({{path, contents}}, &error);
    }
    if (saved)
        mPrompter.showMessage(
            u"The results were saved to %1."_s.arg(QDir::toNativeSeparators(path)),
            Prompter::Icon::Information);
    else
        mPrompter.showMessage(u"The results could not be saved: "_s + error,
                              Prompter::Icon::Critical);
}
