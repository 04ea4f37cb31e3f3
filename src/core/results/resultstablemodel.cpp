#include "resultstablemodel.h"

#include "db/meetevents.h"
#include "judging/formatscore.h"
#include "sessionresults.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

bool sameText(const QString& a, const QString& b) {
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// Competitor numbers are text and sort as text; ties keep number order.
void sortLines(QList<GymnastResult>& lines, ResultsFilter::Sort sort) {
    std::sort(lines.begin(), lines.end(),
              [](const GymnastResult& a, const GymnastResult& b) { return a.num < b.num; });
    if (sort == ResultsFilter::Sort::Number)
        return;
    if (sort == ResultsFilter::Sort::Name) {
        std::stable_sort(
            lines.begin(), lines.end(), [](const GymnastResult& a, const GymnastResult& b) {
                const int last = a.lastName.compare(b.lastName, Qt::CaseInsensitive);
                return last != 0 ? last < 0
                                 : a.firstName.compare(b.firstName, Qt::CaseInsensitive) < 0;
            });
        return;
    }
    // The score orders follow the columns: Vault ... AllAround. Highest score
    // first; gymnasts without the score last.
    static_assert(int(ResultsFilter::Sort::AllAround) - int(ResultsFilter::Sort::Vault) ==
                  ResultColumns::AllAround);
    const int column = int(sort) - int(ResultsFilter::Sort::Vault);
    std::stable_sort(lines.begin(), lines.end(),
                     [column](const GymnastResult& a, const GymnastResult& b) {
                         const auto& sa = a.scores[column];
                         const auto& sb = b.scores[column];
                         if (sa.has_value() != sb.has_value())
                             return sa.has_value();
                         return sa && *sa > *sb;
                     });
}

} // namespace

ResultsTableModel::ResultsTableModel(MeetDatabase& db, QObject* parent)
    : RowListModel(ColumnCount, {}, parent)
    , mDb(db) {}

bool ResultsTableModel::show(const ResultsFilter& filter) {
    mError.clear();
    QList<GymnastResult> lines;
    const bool ok = read(filter, lines);
    resetRows(ok ? std::move(lines) : QList<GymnastResult>());
    return ok;
}

bool ResultsTableModel::read(const ResultsFilter& filter, QList<GymnastResult>& lines) {
    SessionResults results;
    if (!results.read(mDb, filter.session, &mError))
        return false;
    const AgeDivisions& divisions = results.divisions();
    const AgeDivisions::Group* division = nullptr;
    if (filter.ageId) {
        division = divisions.group(*filter.ageId);
        if (!division) {
            mError = u"The age division is no longer in the meet."_s;
            return false;
        }
        if (!division->byBirthDates() && !divisions.meetStart().isValid()) {
            mError = u"The meet has no start date, so gymnasts' ages cannot be worked out."_s;
            return false;
        }
    }
    for (const GymnastResult& gymnast : results.gymnasts()) {
        const bool shown =
            (!filter.gymId || gymnast.gymId == *filter.gymId) &&
            (filter.level.isEmpty() || sameText(gymnast.level, filter.level)) &&
            (filter.squad.isEmpty() || sameText(gymnast.squad, filter.squad)) &&
            (!division || divisions.contains(*division, gymnast.level, gymnast.birthday));
        if (shown)
            lines.append(gymnast);
    }
    sortLines(lines, filter.sort);
    return true;
}

int ResultsTableModel::columnWidthTwips(int column) {
    static constexpr int widths[ColumnCount] = {1, 1000, 3800, 1550, 1550, 1550, 1550, 1550, 0, 0};
    return column >= 0 && column < ColumnCount ? widths[column] : 0;
}

bool ResultsTableModel::isHiddenColumn(int column) {
    return column == 0 || column == 8 || column == 9;
}

QVariant ResultsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows().size())
        return {};
    const int column = index.column();
    if (role == Qt::TextAlignmentRole) {
        if (column == 1)
            return int(Qt::AlignCenter);
        if (column >= 3 && column <= 7)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    const GymnastResult& line = rows()[index.row()];
    if (role == Qt::ToolTipRole)
        return column >= 3 && column <= 6 && line.inquiry.contains(ResultColumns::name(column - 3))
                   ? u"Under inquiry: the score counts as it stands until the decision"_s
                   : QVariant();
    switch (column) {
    case 1:
        return line.num;
    case 2:
        return QString(line.lastName + u", "_s + line.firstName);
    case 3:
    case 4:
    case 5:
    case 6:
    case 7: {
        const int scoreColumn = column - 3;
        const bool held = scoreColumn == ResultColumns::AllAround
                              ? !line.review.isEmpty()
                              : line.review.contains(ResultColumns::name(scoreColumn));
        if (held)
            return u"Under review"_s;
        const std::optional<double>& score = line.scores[scoreColumn];
        if (!score)
            return QString();
        // Said in words, not by colour alone: the grid may be printed or read
        // in black and white.
        if (scoreColumn != ResultColumns::AllAround &&
            line.inquiry.contains(ResultColumns::name(scoreColumn)))
            return QString(scoreText(*score) + u" (Under inquiry)"_s);
        return scoreText(*score);
    }
    default:
        return QString();
    }
}

QVariant ResultsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::TextAlignmentRole && section == 1)
        return int(Qt::AlignCenter);
    if (role != Qt::DisplayRole)
        return {};
    static const QStringList headers = QStringList{QString(), u"Num"_s, u"Gymnast Name"_s} +
                                       MeetEvents::names() +
                                       QStringList{u"AA"_s, QString(), QString()};
    return section >= 0 && section < ColumnCount ? headers.value(section) : QVariant();
}
