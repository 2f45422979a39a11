// Project search and the jump between list start and end.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include <QHeaderView>

#include "common/displaytext.h"
#include "app/finddialog.h"
#include "app/projectlistmodel.h"
#include "app/projectsearch.h"

#include <QLabel>
#include <limits>

namespace {
constexpr int searchByNumber = 0;
constexpr int endFlagAtEnd = 1;
} // namespace

void TVantorel::wireSearch()
{
    connect(ui_->ProjectNumber1, &QAction::triggered, this, &TVantorel::ProjectSearch);
    connect(ui_->Text1, &QAction::triggered, this, &TVantorel::ProjectSearch);
    connect(ui_->InvertList, &QAction::triggered, this, &TVantorel::InvertListClick);

    findDialog_ = new TFindDialog(this);
    connect(findDialog_, &TFindDialog::find, this, &TVantorel::FindDialog1Find);
}

void TVantorel::ProjectSearch()
{
    // The mode follows the menu item last chosen, also while the dialog is open.
    if (QObject* item = sender())
        findDialog_->setTag(item->property("Tag").toInt());
    findDialog_->show();
    findDialog_->takeFocusBack();
}

void TVantorel::FindDialog1Find()
{
    runCommand([this] {
        int row = -1;
        if (findDialog_->tag() == searchByNumber) {
            const NumberSearchResult found = searchProjectNumber(*model_, findDialog_->findTextBytes());
            if (!found.validNumber)
                dialogs_->showMessage(tr("Invalid project code %1").arg(found.value));
            row = found.row;
        } else {
            const bool matchCase = findDialog_->matchCase();
            // Without "Match case" the dialog keeps the upper-cased text it searched for.
            if (!matchCase)
                findDialog_->setFindText(displayText(upperCaseAtoZ(findDialog_->findTextBytes())));
            row = searchTypedText(*model_, findDialog_->findText(), matchCase, findDialog_->wholeWord());
        }
        if (row < 0) {
            dialogs_->showMessage(tr("Search Failed (%1)").arg(findDialog_->findText()));
            findDialog_->takeFocusBack();
            return;
        }
        showSearchHit(row);
    });
}

void TVantorel::showSearchHit(int row)
{
    statusPanel(3)->setText(QString::number(row));
    statusPanel(4)->setText(model_->descriptionText(row));
    findDialog_->hide();
    statusPanel(2)->setText(model_->captionText(row));

    QAbstractItemView* view = ui_->Projects;
    const QModelIndex hit = model_->index(row, 0);
    view->selectionModel()->setCurrentIndex(
        hit, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->setFocus();
    // The hit becomes the first visible row, or as near to it as the view scrolls.
    scrollProjectsBy(view->visualRect(hit).top());
}

int TVantorel::projectsJumpDistance() const
{
    // The font height plus one pixel for each item; where rows are taller
    // than that, a row for each item, so that the jump always reaches the far
    // end of the list instead of stopping part of the way.
    const int fontHeight = QFontInfo(ui_->Projects->font()).pixelSize();
    const int rowHeight = ui_->Projects->verticalHeader()->defaultSectionSize();
    const qint64 pitch = qMax<qint64>(qAbs(fontHeight) + 1, rowHeight);
    const qint64 distance = pitch * model_->count();
    return int(qMin<qint64>(distance, std::numeric_limits<int>::max()));
}

void TVantorel::InvertListClick()
{
    QAction* button = ui_->InvertList;
    const int distance = projectsJumpDistance();
    if (button->property("Tag").toInt() == endFlagAtEnd) {
        scrollProjectsBy(-distance);
        button->setProperty("Tag", 0);
    } else {
        scrollProjectsBy(distance);
        button->setProperty("Tag", endFlagAtEnd);
    }
}
