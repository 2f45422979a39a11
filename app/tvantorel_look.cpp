// The window's look: the toolbar and its pictures, the status bar, the list
// view's rows and number column, the panels' places over the list, and the
// place of a window opened for the first time.
#include "app/tvantorel.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"
#include "ui_wizardpages.h"

#include "app/accessiblenames.h"
#include "app/optionspages.h"
#include "app/toolbaricons.h"
#include "listfile/lineformat.h"
#include "wizard/wizardpages.h"

#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <algorithm>

void TVantorel::drawPictures()
{
    struct Picture {
        QAction* action;
        ToolPicture picture;
    };
    const Picture pictures[] = {
        {ui_->ExitBtn, ToolPicture::Exit},     {ui_->printerBtn, ToolPicture::Print},
        {ui_->EditBtn, ToolPicture::Edit},     {ui_->DeleteBtn, ToolPicture::Delete},
        {ui_->AddBtn, ToolPicture::Add},       {ui_->InsertBtn, ToolPicture::Insert},
        {ui_->ListFixBtn, ToolPicture::Fix},   {ui_->InvertList, ToolPicture::Swap},
    };
    for (const Picture& p : pictures)
        p.action->setIcon(toolbarIcon(p.picture, palette()));
    optionsPanel_->form().PrinterPicture->setPixmap(pagePicture(ToolPicture::Print, 64, palette()));
    wizardPanel_->form().Picture1->setPixmap(pagePicture(ToolPicture::Insert, 96, palette()));
    wizardPanel_->form().Picture2->setPixmap(pagePicture(ToolPicture::Edit, 96, palette()));
    wizardPanel_->form().Picture3->setPixmap(pagePicture(ToolPicture::Fix, 96, palette()));
    wizardPanel_->form().Picture4->setPixmap(pagePicture(ToolPicture::Add, 96, palette()));
}

void TVantorel::buildToolbar()
{
    // The groups of buttons stand apart by fixed gaps.
    const int gaps[] = {29, 20, 48};
    int next = 0;
    for (QAction* action : ui_->ToolBar1->actions()) {
        if (!action->isSeparator() || next >= 3)
            continue;
        auto* gap = new QWidget(ui_->ToolBar1);
        gap->setFixedWidth(gaps[next++]);
        ui_->ToolBar1->insertWidget(action, gap);
        ui_->ToolBar1->removeAction(action);
    }
    ui_->ToolBar1->setFixedHeight(44);
}

void TVantorel::buildStatusBar()
{
    struct Panel {
        const char* text;
        int width;
        Qt::Alignment alignment;
        const char* purpose;  // what a screen reader says the panel is
    };
    const Panel panels[] = {
        {QT_TR_NOOP("Current Project List"), 250, Qt::AlignLeft, "List file"},
        {"0000", 40, Qt::AlignHCenter, "Projects in the list"},
        {"", 40, Qt::AlignLeft, "Found project"},
        {"", 40, Qt::AlignHCenter, "Found at row"},
        {QT_TR_NOOP("Project Discription"), 50, Qt::AlignLeft, "Found description"},
    };
    int index = 0;
    for (const Panel& p : panels) {
        const int number = index++;
        auto* label = new QLabel(ui_->StatusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(number));
        setStatusPanelPurpose(label, QString::fromLatin1(p.purpose));
        label->setText(*p.text ? tr(p.text) : QString());
        label->setAlignment(p.alignment | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(p.width);
        if (index < 5)
            label->setFixedWidth(p.width);
        // The last panel takes what room is left, as the last panel of a status bar does.
        ui_->StatusBar->addWidget(label, index < 5 ? 0 : 1);
        statusPanels_ << label;
    }
    ui_->StatusBar->setSizeGripEnabled(false);
    fitStatusBarToFont();
    ui_->StatusBar->installEventFilter(this);
    statusPanel(1)->installEventFilter(this);
}

void TVantorel::fitStatusBarToFont()
{
    // 20 pixels, or a line of a larger desktop font.
    ui_->StatusBar->setFixedHeight(qMax(20, ui_->StatusBar->fontMetrics().height() + 6));
    // The line count and the found row have room for a list of a million
    // lines in any font.
    for (QLabel* number : {statusPanel(1), statusPanel(3)}) {
        const QFontMetrics metrics = number->fontMetrics();
        number->setFixedWidth(qMax(40, metrics.horizontalAdvance(QStringLiteral("1000000")) +
                                           2 * number->frameWidth() + 2 * metrics.averageCharWidth()));
    }
}

QLabel* TVantorel::statusPanel(int index) const
{
    return statusPanels_.value(index);
}

void TVantorel::centreOnScreen(QScreen* screen)
{
    // Centred on the screen, and never partly off it: on a small screen
    // or at a large scale the window shrinks to what is available.
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = frameGeometry().size() - size();
    resize(size().boundedTo(available.size() - frame));
    QRect placed(QPoint(), frameGeometry().size().boundedTo(available.size()));
    placed.moveCenter(available.center());
    move(placed.topLeft());
}

void TVantorel::widenNumberColumnFor(const LineList& lines)
{
    // Column "Num" is made for three digits at the usual font; a longer
    // number, or three digits in a larger font, is shown whole.
    std::size_t longest = 3;
    for (std::string_view line : lines)
        if (line.size() > 3 && line[3] >= '0' && line[3] <= '9')
            longest = std::max(longest, std::min<std::size_t>(numberKeyLength(line), 12));
    const QFontMetrics metrics(ui_->Projects->font());
    const int needed = metrics.horizontalAdvance(QString(int(longest) + 2, QLatin1Char('0')))
        + 2 * ui_->Projects->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 6;
    if (ui_->Projects->columnWidth(0) < needed)
        ui_->Projects->setColumnWidth(0, needed);
}

void TVantorel::fitRowsToFont()
{
    ui_->Projects->verticalHeader()->setDefaultSectionSize(QFontMetrics(ui_->Projects->font()).height() + 2);
}

// Each panel keeps the place the window's design gives it while there is room,
// grows to what its contents ask for (larger fonts, high-DPI scaling) and
// stays inside the area over the list.
void TVantorel::placePanels()
{
    struct Placement {
        QWidget* panel;
        QRect designed;
    };
    const QRect area = ui_->centralwidget->rect();
    for (const Placement& p : {Placement {wizardPanel_, QRect(112, 136, 457, 241)},
                               Placement {optionsPanel_, QRect(128, 152, 385, 201)}}) {
        const QSize wanted = p.designed.size().expandedTo(p.panel->sizeHint()).boundedTo(area.size());
        QRect placed(p.designed.topLeft(), wanted);
        placed.moveRight(qMin(placed.right(), area.right()));
        placed.moveBottom(qMin(placed.bottom(), area.bottom()));
        placed.moveLeft(qMax(placed.left(), area.left()));
        placed.moveTop(qMax(placed.top(), area.top()));
        p.panel->setGeometry(placed);
    }
}
