#pragma once
// The list view's rows: a snapshot of the document's lines as of the last
// refill (shared with the document until it changes, so no second copy of
// every row), each shown as its caption (columns 1 to 5) and description
// (columns 8 to 47) in the coding of its whole line. Captions can be edited
// in place; such an edit changes only the view, until the next refill.
#include <QAbstractTableModel>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/displaytext.h"
#include "listfile/lineformat.h"
#include "listfile/linelist.h"

class ProjectListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ProjectListModel(QObject* parent = nullptr);

    // Shows lines as they are now; later changes to them do not show until
    // the next fill.
    void fill(const LineList& lines);
    void clear();

    int count() const { return static_cast<int>(rows_.size()); }
    std::string_view caption(int row) const;
    // Inline: searches and printing read it for every row.
    std::string_view description(int row) const
    {
        return static_cast<unsigned>(row) < rows_.size() ? descriptionField(rows_[static_cast<std::size_t>(row)])
                                                         : std::string_view();
    }
    // The row's whole line as the list holds it.
    std::string_view line(int row) const
    {
        return static_cast<unsigned>(row) < rows_.size() ? rows_[static_cast<std::size_t>(row)] : std::string_view();
    }
    // The description to the end of the line, however long.
    std::string_view wholeDescription(int row) const;
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
    LineList rows_;
    // Each row's coding, decided when the row is first shown rather than
    // for every line at refill; empty until then.
    mutable std::vector<unsigned char> codings_;
    std::unordered_map<int, std::string> editedCaptions_;
};
