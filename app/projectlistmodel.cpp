#include "projectlistmodel.h"

#include "listfile/lineformat.h"
#include "listfile/memoryhint.h"

namespace {

// A row's shape packs the caption's length with the line's coding.
constexpr unsigned char captionLengthBits = 0x0F;
constexpr unsigned char eightBitFlag = 0x10;
constexpr unsigned char holdsNulFlag = 0x20;

unsigned char rowShape(std::size_t captionLength, LineCoding coding)
{
    return static_cast<unsigned char>(captionLength | (coding.eightBit ? eightBitFlag : 0)
                                      | (coding.holdsNul ? holdsNulFlag : 0));
}

} // namespace

ProjectListModel::ProjectListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ProjectListModel::fill(const LineList& lines)
{
    beginResetModel();
    text_.clear();
    start_.clear();
    rowShape_.clear();
    editedCaptions_.clear();
    // At most 45 bytes a row; pages of the reserve that stay unused are never touched.
    text_.reserve(lines.size() * 45);
    start_.reserve(lines.size() + 1);
    rowShape_.reserve(lines.size());
    preferHugePages(text_.data(), text_.capacity());
    preferHugePages(start_.data(), start_.capacity() * sizeof(start_[0]));
    for (std::string_view line : lines) {
        const std::string_view cap = captionField(line);
        const std::string_view desc = descriptionField(line);
        start_.push_back(text_.size());
        rowShape_.push_back(rowShape(cap.size(), lineCoding(line)));
        text_.append(cap);
        text_.append(desc);
    }
    start_.push_back(text_.size());
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
    return std::string_view(text_).substr(start_[row], rowShape_[row] & captionLengthBits);
}

std::string_view ProjectListModel::description(int row) const
{
    if (row < 0 || row >= count())
        return {};
    const std::size_t begin = start_[row] + (rowShape_[row] & captionLengthBits);
    return std::string_view(text_).substr(begin, start_[row + 1] - begin);
}

QString ProjectListModel::captionText(int row) const { return displayText(caption(row), coding(row)); }
QString ProjectListModel::descriptionText(int row) const { return displayText(description(row), coding(row)); }

LineCoding ProjectListModel::coding(int row) const
{
    if (row < 0 || row >= count())
        return {};
    LineCoding coding;
    coding.eightBit = (rowShape_[row] & eightBitFlag) != 0;
    coding.holdsNul = (rowShape_[row] & holdsNulFlag) != 0;
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
    return section == 0 ? QStringLiteral("Num") : QStringLiteral("Discription");
}
