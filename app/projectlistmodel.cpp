#include "app/projectlistmodel.h"

#include "common/displaytext.h"
#include "listfile/lineformat.h"

namespace {

// A row's coding as kept in the model: 0 while not yet decided.
constexpr unsigned char codingKnown = 0x01;
constexpr unsigned char eightBitFlag = 0x02;
constexpr unsigned char holdsNulFlag = 0x04;

} // namespace

ProjectListModel::ProjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ProjectListModel::fill(const LineList& lines)
{
    beginResetModel();
    rows_ = lines;
    codings_.clear();
    editedCaptions_.clear();
    endResetModel();
}

void ProjectListModel::clear()
{
    fill({});
}

std::string_view ProjectListModel::caption(int row) const
{
    if (row < 0 || row >= count())
        return {};
    if (!editedCaptions_.empty()) {
        auto it = editedCaptions_.find(row);
        if (it != editedCaptions_.end())
            return it->second;
    }
    return captionField(rows_[static_cast<std::size_t>(row)]);
}

std::string_view ProjectListModel::wholeDescription(int row) const
{
    if (row < 0 || row >= count())
        return {};
    const std::string_view line = rows_[static_cast<std::size_t>(row)];
    return columnsOf(line, descriptionColumn(line), std::string_view::npos);
}

QString ProjectListModel::captionText(int row) const { return displayText(caption(row), coding(row)); }
QString ProjectListModel::descriptionText(int row) const { return displayText(description(row), coding(row)); }

LineCoding ProjectListModel::coding(int row) const
{
    if (row < 0 || row >= count())
        return {};
    if (codings_.empty())
        codings_.assign(rows_.size(), 0);
    unsigned char& known = codings_[static_cast<std::size_t>(row)];
    if (!(known & codingKnown)) {
        const LineCoding decided = lineCoding(rows_[static_cast<std::size_t>(row)]);
        known = static_cast<unsigned char>(codingKnown | (decided.eightBit ? eightBitFlag : 0)
                                           | (decided.holdsNul ? holdsNulFlag : 0));
    }
    LineCoding coding;
    coding.eightBit = (known & eightBitFlag) != 0;
    coding.holdsNul = (known & holdsNulFlag) != 0;
    return coding;
}

void ProjectListModel::setCaption(int row, const std::string& caption)
{
    if (row < 0 || row >= count())
        return;
    editedCaptions_[row] = caption;
    const QModelIndex at = index(row, 0);
    emit dataChanged(at, at);
}

int ProjectListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int ProjectListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ProjectListModel::data(const QModelIndex& index, int role) const
{
    // A screen reader on the number says the whole project, number and description.
    if (index.isValid() && index.column() == 0 && role == Qt::AccessibleTextRole)
        return (captionText(index.row()).trimmed() + QLatin1Char(' ') + descriptionText(index.row()).trimmed()).trimmed();
    // The whole description, of which the column shows columns 8 to 47.
    if (index.isValid() && index.column() == 1 && role == Qt::ToolTipRole)
        return displayText(wholeDescription(index.row()), coding(index.row()));
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return index.column() == 0 ? captionText(index.row()) : descriptionText(index.row());
}

bool ProjectListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::EditRole)
        return false;
    setCaption(index.row(), storedBytes(value.toString(), coding(index.row())));
    return true;
}

Qt::ItemFlags ProjectListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

QVariant ProjectListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Num") : tr("Discription");
}
