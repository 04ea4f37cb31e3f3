#pragma once

#include <QStyledItemDelegate>

// A drop-down list in a table cell, always shown: its items are the cell's
// ChoicesRole (kept) and ChoiceLabelsRole (shown), as BoardsTableModel
// offers them, and a choice is written to the model at once. The list is
// named `prefix` + the row's first cell, so tests and the operator's tools
// find each row's box.
class ChoiceDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    ChoiceDelegate(int choicesRole, int labelsRole, QObject* parent = nullptr);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    int mChoicesRole;
    int mLabelsRole;
};
