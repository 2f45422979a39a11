#pragma once
// The list view's rows: its own copy of each line's caption (columns 1 to 5)
// and description (columns 8 to 47), kept as bytes in one buffer so that a
// list of a million lines stays small. Each row is shown in the coding of
// its whole line. Captions can be edited in place; such an edit changes only
// the view, until the next refill.
#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "displaytext.h"
#include "listfile/linelist.h"

class ProjectListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ProjectListModel(QObject* parent = nullptr);

    // Replaces every row by the items of lines.
    void fill(const LineList& lines);
    void clear();

    int count() const { return static_cast<int>(rowShape_.size()); }
    std::string_view caption(int row) const;
    std::string_view description(int row) const;
    QString captionText(int row) const;
    QString descriptionText(int row) const;
    // How the row's line is shown, for text stored back into it.
    LineCoding coding(int row) const;
    // Changes the caption of one item, as an edit in place does.
    void setCaption(int row, const std::string& caption);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::string text_;                    // caption then description of each row
    std::vector<std::size_t> start_;      // where each row begins in text_, plus the end
    // Per row: the caption's length (at most five) and the line's coding.
    std::vector<unsigned char> rowShape_;
    std::unordered_map<int, std::string> editedCaptions_;
};
