#pragma once

#include <QList>
#include <QString>
#include <QWidget>

class GymnastsConsole;
class MeetDatabase;
class RecordEditorFrame;
class QCheckBox;
class QGridLayout;
class QGroupBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPushButton;

// The "Gymnasts" tab: the gymnasts of the current session, the editor of one
// gymnast's entry data, the gymnast's scores and the buttons that open manual
// score entry for an event.
class GymnastsTab : public QWidget {
    Q_OBJECT

public:
    GymnastsTab(GymnastsConsole& gymnasts, MeetDatabase& db, QWidget* parent = nullptr);

Q_SIGNALS:
    // "Vault", "Bars", "Beam" or "Floor" for the selected gymnast.
    void scoreEntryRequested(const QString& num, const QString& event);
    // "History" of the selected gymnast: every event's.
    void historyRequested(const QString& num, const QString& event);

private:
    QGroupBox* buildList();
    RecordEditorFrame* buildEditor(MeetDatabase& db);
    QGridLayout* buildScores();
    void buildHistoryMenu();
    void refill();
    void select();
    void save();
    void cancel();
    void refreshScores();
    void setScoreAreaVisible(bool visible);

    GymnastsConsole& mGymnasts;
    QListWidget* mList;
    QComboBox* mSort;
    RecordEditorFrame* mEditor;
    QLineEdit* mNum = nullptr;
    QLineEdit* mFirstName = nullptr;
    QLineEdit* mLastName = nullptr;
    QLineEdit* mUsag = nullptr;
    QLineEdit* mBirthday = nullptr;
    QComboBox* mLevel = nullptr;
    QComboBox* mSession = nullptr;
    QComboBox* mSquad = nullptr;
    QLineEdit* mOrder = nullptr;
    QComboBox* mGym = nullptr;
    QCheckBox* mScratched = nullptr;
    QLabel* mViewScores = nullptr;
    QLabel* mAllAroundLabel = nullptr;
    QList<QPushButton*> mEventButtons;
    QList<QLineEdit*> mScoreBoxes; // Vault, Bars, Beam, Floor, AA
    QString mShownNum;             // the gymnast whose scores the boxes show
    QMenu* mHistoryMenu = nullptr;
    QString mHistoryEvent; // the event whose history the menu offers; "" for every event
};
