// The main window's guards over the list file: the notice bar above the
// list, the guard of the list file in use (changes on disk, saves and their
// questions, unsaved changes, recovery) and the one of sync tools' conflict
// copies beside it.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/conflictcopyguard.h"
#include "app/listfileguard.h"
#include "app/listrepaircommand.h"
#include "app/noticebar.h"
#include "app/recentlistsmenu.h"
#include "wizard/wizardcontroller.h"

#include <QApplication>
#include <QLayout>
#include <QTableView>
#include <algorithm>

void TVantorel::wireListFileGuards()
{
    noticeBar_ = new NoticeBar(ui_->centralwidget);
    connect(noticeBar_, &NoticeBar::sizeChanged, this, &TVantorel::layOutListArea);
    guard_ = new ListFileGuard(*document_, *noticeBar_, *this, this);
    guard_->setWaitingCheck([this] { return waitsForUser(); });
    connect(guard_, &ListFileGuard::saved, this, [this](const std::string& path) { recentLists_->remember(path); });
    connect(guard_, &ListFileGuard::recoveredToReview, this,
            [this](int number) { wizardPages_->ShowWizard(mdEdit, 4, number); });
    conflictCopies_ = new ConflictCopyGuard(*document_, *noticeBar_, *this, *ui_->MergeConflictCopy1, this);
}

bool TVantorel::saveList()
{
    return guard_->saveList();
}

bool TVantorel::settleUnsavedChanges()
{
    return guard_->settleUnsavedChanges();
}

bool TVantorel::waitsForUser() const
{
    // Page 4 may stay open: it keeps its number and typed text across a
    // re-read. A caption being edited in place would lose its editor.
    const QList<QWidget*> editors = ui_->Projects->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const bool captionEdited = std::any_of(editors.begin(), editors.end(), [](QWidget* e) { return e->isVisible(); });
    return !repair_->running() && !QApplication::activeModalWidget() && !QApplication::activePopupWidget()
        && !captionEdited;
}

void TVantorel::layOutListArea()
{
    const QRect area = ui_->centralwidget->rect();
    int top = 0;
    if (noticeBar_ && !noticeBar_->isHidden()) {
        // The message wraps in a large font or a narrow window: as high as
        // its lines need at the width there is.
        QLayout* layout = noticeBar_->layout();
        layout->activate();
        const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(area.width())
                                                       : layout->totalSizeHint().height();
        noticeBar_->setGeometry(0, 0, area.width(), qMax(height, layout->totalMinimumSize().height()));
        noticeBar_->raise();
        top = noticeBar_->height();
    }
    ui_->Projects->setGeometry(area.adjusted(0, top, 0, 0));
}
