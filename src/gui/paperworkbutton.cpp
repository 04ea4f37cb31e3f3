#include "paperworkbutton.h"

#include "db/meetdatabase.h"
#include "printedresults.h"
#include "reportfile.h"
#include "shell/prompter.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

PaperworkButton::PaperworkButton(const QString& caption, const QString& document, MeetDatabase& db,
                                 Prompter& prompter, std::function<QString()> session,
                                 Render render, QWidget* parent)
    : QPushButton(caption, parent)
    , mDocument(document)
    , mDb(db)
    , mPrompter(prompter)
    , mSession(std::move(session))
    , mRender(std::move(render)) {
    connect(this, &QPushButton::clicked, this, &PaperworkButton::choose);
}

void PaperworkButton::choose() {
    const QString session = mSession();
    if (session.isEmpty()) {
        mPrompter.showMessage(u"Choose a session first."_s, Prompter::Icon::Information);
        return;
    }
    const QFileInfo meet(mDb.filePath());
    const QString name =
        meet.completeBaseName() + u" session "_s + session + u' ' + mDocument + u".pdf"_s;
    QPointer<PaperworkButton> self(this);
    mPrompter.chooseSaveFile(u"Save PDF"_s, u"PDF Files(*.pdf)"_s, meet.dir().filePath(name),
                             [self, session](const QString& path) {
                                 if (self && !path.isEmpty())
                                     self->write(session, path);
                             });
}

void PaperworkButton::write(const QString& session, const QString& path) {
    PrintedResults printed;
    QString error;
    bool saved = PrintedResults::gather(mDb, session, QString(), printed, &error);
    if (saved) {
        const QByteArray pdf = mRender(mDb, printed, &error);
        saved = !pdf.isEmpty() && ReportFile::save({{path, pdf}}, &error);
    }
    if (saved)
        mPrompter.showMessage(
            u"Saved the %1 to %2."_s.arg(mDocument, QDir::toNativeSeparators(path)),
            Prompter::Icon::Information);
    else
        mPrompter.showMessage(u"Could not save the %1: %2"_s.arg(mDocument, error),
                              Prompter::Icon::Critical);
}
