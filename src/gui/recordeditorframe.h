#pragma once

#include <QFrame>
#include <QList>

class QComboBox;
class QGridLayout;
class QLineEdit;
class QPushButton;

// The editor half of a list-and-editor tab: captioned fields one under the
// other, then the Save and Cancel buttons. Hidden until a record is chosen.
class RecordEditorFrame : public QFrame {
    Q_OBJECT

public:
    RecordEditorFrame(const QString& name, QWidget* parent);

    // Adds a captioned field on the next row.
    QLineEdit* addLine(const char* name, const QString& caption);
    QComboBox* addChoice(const char* name, const QString& caption);
    // Puts an uncaptioned widget in the field column of the next row.
    void addUncaptioned(QWidget* widget);
    // Ends the fields with the Save and Cancel buttons, named as given.
    void addButtons(const char* saveName, const char* cancelName);

    QPushButton* saveButton() const { return mSave; }
    QPushButton* cancelButton() const { return mCancel; }
    // Empties every field added with addLine.
    void clearLines();

private:
    void addCaptioned(QWidget* field, const QString& caption);

    QGridLayout* mGrid;
    QList<QLineEdit*> mLines;
    QPushButton* mSave = nullptr;
    QPushButton* mCancel = nullptr;
    int mRow = 0;
};
