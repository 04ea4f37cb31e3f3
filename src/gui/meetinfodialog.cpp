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
    line(u"Name of Meet"_s, addField(u"txtMeetName"_s));
    line(u"Meet Director"_s, addField(u"txtMeetDirector"_s));
    line(u"Pro Number"_s, addField(u"txtProNumber"_s));
    line(u"Sanction"_s, addField(u"txtSanction"_s));
    line(u"Facility/Location"_s, addField(u"txtFacility"_s));
    line(u"Address"_s, addField(u"txtAddress1"_s));
    line({}, addField(u"txtAddress2"_s));
    line({}, addField(u"txtCity"_s), addField(u"txtState"_s), addField(u"txtZip"_s));
    line(u"Phone"_s, addField(u"txtPhone"_s));
    line(u"FAX"_s, addField(u"txtFAX"_s));
    line(u"Start Date"_s, addField(u"start_date"_s, true));
    line(u"End Date"_s, addField(u"end_date"_s, true));

    mJudges = new QComboBox(this);
    mJudges->setObjectName(u"combo_judges"_s);
    mJudges->addItems({u"1"_s, u"2"_s, u"3"_s, u"4"_s});
    line(u"Judges Per Event"_s, mJudges);

    mAgeDivisions = new QCheckBox(u"Use Age Divisions"_s, this);
    mAgeDivisions->setObjectName(u"chkAgeDivisions"_s);
    mAgeDivisions->setEnabled(false);
    line({}, mAgeDivisions);

    auto* saveButton = new QPushButton(u"Save"_s, this);
    saveButton->setObjectName(u"cmdSave"_s);
    saveButton->setDefault(true);
    auto* cancel = new QPushButton(u"Cancel"_s, this);
    cancel->setObjectName(u"cmdCancel"_s);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(saveButton);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());

    connect(saveButton, &QPushButton::clicked, this, &MeetInfoDialog::save);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

QLineEdit* MeetInfoDialog::addField(const QString& name, bool editable) {
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setReadOnly(!editable);
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
    const std::pair<const char*, QString> texts[] = {
        {"txtMeetName", meet.name},       {"txtMeetDirector", meet.director},
        {"txtProNumber", meet.proNumber}, {"txtSanction", meet.sanction},
        {"txtFacility", meet.facility},   {"txtAddress1", meet.address1},
        {"txtAddress2", meet.address2},   {"txtCity", meet.city},
        {"txtState", meet.state},         {"txtZip", meet.zip},
        {"txtPhone", meet.phone},         {"txtFAX", meet.fax},
        {"start_date", meet.startDate},   {"end_date", meet.endDate}};
    for (const auto& [name, text] : texts) {
        auto* field = findChild<QLineEdit*>(QString::fromLatin1(name));
        field->setText(text);
        field->setCursorPosition(0);
    }
    // A count outside 1 to 4 selects nothing, and is then kept as it is.
    const int judges = meet.numJudges.value_or(0);
    mJudges->setCurrentIndex(judges >= 1 && judges <= 4 ? judges - 1 : -1);
    mAgeDivisions->setChecked(meet.useAgeDiv);
    return true;
}

void MeetInfoDialog::save() {
    const int index = mJudges->currentIndex();
    const std::optional<int> judges = index >= 0 ? std::optional<int>(index + 1) : std::nullopt;
    QString error;
    switch (MeetInfo::save(mState, findChild<QLineEdit*>(u"start_date"_s)->text(),
                           findChild<QLineEdit*>(u"end_date"_s)->text(), judges, &error)) {
    case MeetInfo::Result::Ok:
        accept();
        return;
    case MeetInfo::Result::InvalidDate:
        mPrompter.showMessage(QString::fromLatin1(MeetInfo::InvalidDateMessage),
                              Prompter::Icon::Critical);
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
