#include "choicedelegate.h"

#include <QComboBox>
#include <QSignalBlocker>

using namespace Qt::Literals::StringLiterals;

ChoiceDelegate::ChoiceDelegate(int choicesRole, int labelsRole, QObject* parent)
    : QStyledItemDelegate(parent)
    , mChoicesRole(choicesRole)
    , mLabelsRole(labelsRole) {}

QWidget* ChoiceDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                      const QModelIndex& index) const {
    auto* box = new QComboBox(parent);
    const QString header =
        index.model()->headerData(index.column(), Qt::Horizontal).toString().remove(u' ');
    box->setObjectName(u"cbo"_s + header + u'_' + index.siblingAtColumn(0).data().toString());
    box->setFocusPolicy(Qt::StrongFocus);
    // Written at once: a persistent editor is never closed to commit it.
    connect(box, &QComboBox::activated, this, [this, box] {
        auto* self = const_cast<ChoiceDelegate*>(this);
        Q_EMIT self->commitData(box);
    });
    return box;
}

void ChoiceDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    const QStringList values = index.data(mChoicesRole).toStringList();
    const QStringList labels = index.data(mLabelsRole).toStringList();
    const QString current = index.data(Qt::EditRole).toString();
    const QSignalBlocker quiet(box);
    box->clear();
    for (qsizetype i = 0; i < values.size(); ++i)
        box->addItem(labels.value(i, values[i]), values[i]);
    // A value the meet no longer lists (or a board's own) is still shown.
    if (box->findData(current) < 0)
        box->addItem(current, current);
    box->setCurrentIndex(box->findData(current));
}

void ChoiceDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                  const QModelIndex& index) const {
    auto* box = static_cast<QComboBox*>(editor);
    // A refused choice puts the box back as it was.
    if (!model->setData(index, box->currentData(), Qt::EditRole))
        setEditorData(editor, index);
}
