#include "recordeditorframe.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

RecordEditorFrame::RecordEditorFrame(const QString& name, QWidget* parent)
    : QFrame(parent)
    , mGrid(new QGridLayout(this)) {
    setObjectName(name);
    setFrameShape(QFrame::StyledPanel);
}

QLineEdit* RecordEditorFrame::addLine(const char* name, const QString& caption) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(QString::fromLatin1(name));
    addCaptioned(edit, caption);
    mLines.append(edit);
    return edit;
}

QComboBox* RecordEditorFrame::addChoice(const char* name, const QString& caption) {
    auto* choice = new QComboBox(this);
    choice->setObjectName(QString::fromLatin1(name));
    addCaptioned(choice, caption);
    return choice;
}

void RecordEditorFrame::addCaptioned(QWidget* field, const QString& caption) {
    mGrid->addWidget(new QLabel(caption, this), mRow, 0);
    mGrid->addWidget(field, mRow++, 1);
}

void RecordEditorFrame::addUncaptioned(QWidget* widget) {
    mGrid->addWidget(widget, mRow++, 1);
}

void RecordEditorFrame::addButtons(const char* saveName, const char* cancelName) {
    mSave = new QPushButton(u"Save"_s, this);
    mSave->setObjectName(QString::fromLatin1(saveName));
    mCancel = new QPushButton(u"Cancel"_s, this);
    mCancel->setObjectName(QString::fromLatin1(cancelName));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(mSave);
    buttons->addWidget(mCancel);
    mGrid->addLayout(buttons, mRow++, 0, 1, 2);
    mGrid->setRowStretch(mRow, 1);
}

void RecordEditorFrame::clearLines() {
    for (QLineEdit* edit : mLines)
        edit->clear();
}
