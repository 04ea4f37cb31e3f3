#include "meetinfodialog.h"

#include "shell/appstate.h"
#include "shell/meetinfo.h"
#include "shell/prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

MeetInfoDialog::MeetInfoDialog(AppState& state, Prompter& prompter, QWidget* parent)
    : QDialog(parent)
    , mState(state)
    , mPrompter(prompter) {
    setObjectName(u"frmMeetInfo"_s);
    setWindowTitle(u"Meet Information"_s);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buildFields());
    layout->addLayout(buildButtons());
    resize(520, sizeHint().height());
}

QGridLayout* MeetInfoDialog::buildFields() {
    using H = MeetInfo::Header;
    auto* grid = new QGridLayout;
    int row = 0;
    auto line = [&](const QString& caption, QWidget* a, QWidget* b = nullptr,
                    QWidget* c = nullptr) {
        if (!caption.isEmpty())
            grid->addWidget(new QLabel(caption, this), row, 0);
        auto* fields = new QHBoxLayout;
        for (QWidget* w : {a, b, c}) {
            if (w)
                fields->addWidget(w);
        }
        grid->addLayout(fields, row++, 1);
    };
    line(u"Name of Meet"_s, addField(u"txtMeetName"_s, &H::name));
    line(u"Meet Director"_s, addField(u"txtMeetDirector"_s, &H::director));
    line(u"Pro Number"_s, addField(u"txtProNumber"_s, &H::proNumber));
    line(u"Sanction"_s, addField(u"txtSanction"_s, &H::sanction));
    line(u"Facility/Location"_s, addField(u"txtFacility"_s, &H::facility));
    line(u"Address"_s, addField(u"txtAddress1"_s, &H::address1));
    line({}, addField(u"txtAddress2"_s, &H::address2));
    line({}, addField(u"txtCity"_s, &H::city), addField(u"txtState"_s, &H::state),
         addField(u"txtZip"_s, &H::zip));
    line(u"Phone"_s, addField(u"txtPhone"_s, &H::phone));
    line(u"FAX"_s, addField(u"txtFAX"_s, &H::fax));
    mStartDate = addField(u"start_date"_s, &H::startDateText);
    mStartDate->setReadOnly(false);
    line(u"Start Date"_s, mStartDate);
    mEndDate = addField(u"end_date"_s, &H::endDateText);
    mEndDate->setReadOnly(false);
    line(u"End Date"_s, mEndDate);

    mJudges = new QComboBox(this);
    mJudges->setObjectName(u"combo_judges"_s);
    mJudges->addItems({u"1"_s, u"2"_s, u"3"_s, u"4"_s});
    line(u"Judges Per Event"_s, mJudges);

    mMaxScore = addField(u"txtMaxScore"_s, &H::maxScore);
    mMaxScore->setReadOnly(false);
    mMaxScore->setToolTip(u"The highest score a judge, a start value or a final may have"_s);
    line(u"Maximum Score"_s, mMaxScore);

    mAgeDivisions = new QCheckBox(u"Use Age Divisions"_s, this);
    mAgeDivisions->setObjectName(u"chkAgeDivisions"_s);
    mAgeDivisions->setEnabled(false);
    line({}, mAgeDivisions);
    return grid;
}

QHBoxLayout* MeetInfoDialog::buildButtons() {
    auto* saveButton = new QPushButton(u"Save"_s, this);
    saveButton->setObjectName(u"cmdSave"_s);
    saveButton->setDefault(true);
    auto* cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"cmdCancel"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancel);
    connect(saveButton, &QPushButton::clicked, this, &MeetInfoDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    return buttons;
}

QLineEdit* MeetInfoDialog::addField(const QString& name, QString MeetInfo::Header::*shows) {
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setReadOnly(true);
    mFields.append({field, shows});
    return field;
}

bool MeetInfoDialog::load() {
    if (!mState.isMeetOpen())
        return false;
    MeetInfo::Header meet;
    QString error;
    switch (MeetInfo::load(mState.meetDb(), &meet, &error)) {
    case MeetInfo::Result::Ok:
        break;
    case MeetInfo::Result::NotFound:
        mPrompter.showMessage(QString::fromLatin1(MeetInfo::NotFoundMessage),
                              Prompter::Icon::Critical);
        return false;
    default:
        mPrompter.showMessage(u"The meet information could not be read: "_s + error,
                              Prompter::Icon::Critical);
        return false;
    }
    for (const Field& field : std::as_const(mFields)) {
        field.edit->setText(meet.*field.shows);
        field.edit->setCursorPosition(0);
    }
    // A count outside 1 to 4 selects nothing, and is then kept as it is.
    const int judges = meet.numJudges.toInt();
    mJudges->setCurrentIndex(judges >= 1 && judges <= 4 ? judges - 1 : -1);
    mAgeDivisions->setChecked(meet.useAgeDivisions);
    return true;
}

void MeetInfoDialog::save() {
    const int index = mJudges->currentIndex();
    MeetInfo::Edits edits;
    edits.startDate = mStartDate->text();
    edits.endDate = mEndDate->text();
    edits.numJudges = index >= 0 ? std::optional<int>(index + 1) : std::nullopt;
    edits.maxScore = mMaxScore->text();
    QString error;
    switch (MeetInfo::save(mState, edits, &error)) {
    case MeetInfo::Result::Ok:
        accept();
        return;
    case MeetInfo::Result::InvalidDate:
        // The fixed text first; which date, and the forms accepted, below it.
        mPrompter.showDetailedMessage(QString::fromLatin1(MeetInfo::InvalidDateMessage), error,
                                      Prompter::Icon::Critical);
        return;
    case MeetInfo::Result::InvalidMaxScore:
        mPrompter.showMessage(error, Prompter::Icon::Critical);
        return;
    case MeetInfo::Result::NotFound:
        mPrompter.showMessage(QString::fromLatin1(MeetInfo::NotFoundMessage),
                              Prompter::Icon::Critical);
        reject();
        return;
    case MeetInfo::Result::Failed:
        mPrompter.showMessage(u"The meet information could not be saved: "_s + error,
                              Prompter::Icon::Critical);
        return;
    }
}
