#pragma once

#include <QWidget>

class BoardLayouts;
class BoardLinksPanel;
class MeetDatabase;
class QTableView;

// The "Boards" tab: every score display of this run with a box for its
// layout, and for its event or group where the layout uses one, so the desk
// sets what each TV shows without anyone touching it; beside the list, the
// links (and QR codes) that open a board by itself.
class BoardsTab : public QWidget {
    Q_OBJECT

public:
    // The group's boxes offer the levels and divisions of `db`'s meet.
    BoardsTab(BoardLayouts& boards, MeetDatabase& db, QWidget* parent = nullptr);

    BoardLinksPanel* links() const { return mLinks; }

private:
    // A box on every cell that can be changed now, and none elsewhere.
    void showBoxes();

    QTableView* mView = nullptr;
    BoardLinksPanel* mLinks = nullptr;
};
