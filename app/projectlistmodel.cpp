#include "app/projectlistmodel.h"

#include "common/displaytext.h"
#include "listfile/lineformat.h"

ProjectListModel::ProjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ProjectListModel::fill(const LineList& lines)
{
    beginResetModel();
    rows_ = lines;
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

QString ProjectListModel::captionText(int row) const { return displayText(caption(row)); }
QString ProjectListModel::descriptionText(int row) const { return displayText(description(row)); }

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
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return index.column() == 0 ? captionText(index.row()) : descriptionText(index.row());
}

bool ProjectListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.column() != 0 || role != Qt::EditRole)
        return false;
    setCaption(index.row(), storedBytes(value.toString()));
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
