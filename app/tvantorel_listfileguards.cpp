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
#include "app/windowhost.h"
#include "app/windowparts.h"
#include "app/windowwiring.h"
#include "wizard/wizardcontroller.h"

#include <QApplication>
#include <QLayout>
#include <QTableView>
#include <algorithm>

namespace {

// Whether the window waits for the user: no repair, no modal box, no caption
// edited in place.
bool waitsForUser(const WindowParts& parts)
{
    // Page 4 may stay open: it keeps its number and typed text across a
    // re-read. A caption being edited in place would lose its editor.
    const QList<QWidget*> editors =
        parts.form->Projects->viewport()->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    const bool captionEdited = std::any_of(editors.begin(), editors.end(), [](QWidget* e) { return e->isVisible(); });
    return !parts.repair->running() && !QApplication::activeModalWidget() && !QApplication::activePopupWidget()
        && !captionEdited;
}

} // namespace

void wireListFileGuards(TVantorel& window, WindowParts& parts)
{
    parts.noticeBar = new NoticeBar(parts.form->centralwidget);
    QObject::connect(parts.noticeBar, &NoticeBar::sizeChanged, &window, [&parts] { layOutListArea(parts); });
    parts.listFileGuard = new ListFileGuard(*parts.document, *parts.noticeBar, *parts.host, &window);
    parts.listFileGuard->setWaitingCheck([&parts] { return waitsForUser(parts); });
    QObject::connect(parts.listFileGuard, &ListFileGuard::saved, &window,
                     [&parts](const std::string& path) { parts.recentLists->remember(path); });
    QObject::connect(parts.listFileGuard, &ListFileGuard::recoveredToReview, &window,
                     [&parts](int number) { parts.wizardPages->ShowWizard(mdEdit, 4, number); });
    parts.conflictCopies = new ConflictCopyGuard(*parts.document, *parts.noticeBar, *parts.host,
                                                 *parts.form->MergeConflictCopy1, &window);
}

void layOutListArea(const WindowParts& parts)
{
    const QRect area = parts.form->centralwidget->rect();
    int top = 0;
    NoticeBar* noticeBar = parts.noticeBar;
    if (noticeBar && !noticeBar->isHidden()) {
        // The message wraps in a large font or a narrow window: as high as
        // its lines need at the width there is.
        QLayout* layout = noticeBar->layout();
        layout->activate();
        const int height = layout->hasHeightForWidth() ? layout->totalHeightForWidth(area.width())
                                                       : layout->totalSizeHint().height();
        noticeBar->setGeometry(0, 0, area.width(), qMax(height, layout->totalMinimumSize().height()));
        noticeBar->raise();
        top = noticeBar->height();
    }
    parts.form->Projects->setGeometry(area.adjusted(0, top, 0, 0));
}
