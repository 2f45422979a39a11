#include "app/searchcommands.h"

#include "app/finddialog.h"
#include "app/projectlistmodel.h"
#include "app/projectsearch.h"
#include "common/commandhost.h"
#include "common/dialogs.h"
#include "common/displaytext.h"

#include <QAction>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableView>
#include <limits>

namespace {
constexpr int searchByNumber = 0;
constexpr int endFlagAtEnd = 1;
} // namespace

SearchCommands::SearchCommands(QTableView& view, const ProjectListModel& model, QList<QLabel*> hitPanels,
                               QAction& jump, CommandHost& host, QObject* parent)
    : QObject(parent), view_(view), model_(model), hitPanels_(std::move(hitPanels)), jump_(jump), host_(host),
      findDialog_(new TFindDialog(view.window()))
{
    connect(findDialog_, &TFindDialog::find, this, &SearchCommands::findRequested);
}

void SearchCommands::openFind(const QObject* menuItem)
{
    // The mode follows the menu item last chosen, also while the dialog is open.
    if (menuItem)
        findDialog_->setTag(menuItem->property("Tag").toInt());
    findDialog_->show();
    findDialog_->takeFocusBack();
}

void SearchCommands::find()
{
    host_.runCommand([this] {
        int row = -1;
        if (findDialog_->tag() == searchByNumber) {
            const NumberSearchResult found = searchProjectNumber(model_, findDialog_->findTextBytes());
            if (!found.validNumber)
                host_.dialogs().showMessage(
                    QCoreApplication::translate("TVantorel", "Invalid project code %1").arg(found.value));
            row = found.row;
        } else {
            const bool matchCase = findDialog_->matchCase();
            // Without "Match case" the dialog keeps the upper-cased text it searched for.
            if (!matchCase)
                findDialog_->setFindText(displayText(upperCaseAtoZ(findDialog_->findTextBytes())));
            row = searchTypedText(model_, findDialog_->findText(), matchCase, findDialog_->wholeWord());
        }
        if (row < 0) {
            host_.dialogs().showMessage(
                QCoreApplication::translate("TVantorel", "Search Failed (%1)").arg(findDialog_->findText()));
            findDialog_->takeFocusBack();
            return;
        }
        showHit(row);
    });
}

void SearchCommands::showHit(int row)
{
    hitPanels_[1]->setText(QString::number(row));
    hitPanels_[2]->setText(model_.descriptionText(row));
    findDialog_->hide();
    hitPanels_[0]->setText(model_.captionText(row));

    const QModelIndex hit = model_.index(row, 0);
    view_.selectionModel()->setCurrentIndex(hit, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view_.setFocus();
    // The hit becomes the first visible row, or as near to it as the view scrolls.
    scrollBy(view_.visualRect(hit).top());
}

void SearchCommands::scrollBy(int pixels)
{
    QScrollBar* bar = view_.verticalScrollBar();
    const qint64 target = qint64(bar->value()) + pixels;
    bar->setValue(int(qBound<qint64>(qint64(bar->minimum()), target, qint64(bar->maximum()))));
}

int SearchCommands::jumpDistance() const
{
    // The font height plus one pixel for each item; where rows are taller
    // than that, a row for each item, so that the jump always reaches the far
    // end of the list instead of stopping part of the way.
    const int fontHeight = QFontInfo(view_.font()).pixelSize();
    const int rowHeight = view_.verticalHeader()->defaultSectionSize();
    const qint64 pitch = qMax<qint64>(qAbs(fontHeight) + 1, rowHeight);
    const qint64 distance = pitch * model_.count();
    return int(qMin<qint64>(distance, std::numeric_limits<int>::max()));
}

void SearchCommands::jump()
{
    const int distance = jumpDistance();
    if (jump_.property("Tag").toInt() == endFlagAtEnd) {
        scrollBy(-distance);
        jump_.setProperty("Tag", 0);
    } else {
        scrollBy(distance);
        jump_.setProperty("Tag", endFlagAtEnd);
    }
}

void SearchCommands::jumpToEnd()
{
    scrollBy(jumpDistance());
    jump_.setProperty("Tag", endFlagAtEnd);
}
