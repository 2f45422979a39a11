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
#include "app/windowparts.h"
#include "app/windowwiring.h"
#include "listfile/lineformat.h"
#include "wizard/wizardpages.h"

#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QCoreApplication>
#include <QStyle>
#include <QTableView>
#include <QToolBar>
#include <algorithm>

void drawPictures(const WindowParts& parts, const QPalette& palette)
{
    Ui::TVantorel* ui = parts.form;
    struct Picture {
        QAction* action;
        ToolPicture picture;
    };
    const Picture pictures[] = {
        {ui->ExitBtn, ToolPicture::Exit},     {ui->printerBtn, ToolPicture::Print},
        {ui->EditBtn, ToolPicture::Edit},     {ui->DeleteBtn, ToolPicture::Delete},
        {ui->AddBtn, ToolPicture::Add},       {ui->InsertBtn, ToolPicture::Insert},
        {ui->ListFixBtn, ToolPicture::Fix},   {ui->InvertList, ToolPicture::Swap},
    };
    for (const Picture& p : pictures)
        p.action->setIcon(toolbarIcon(p.picture, palette));
    parts.optionsPanel->form().PrinterPicture->setPixmap(pagePicture(ToolPicture::Print, 64, palette));
    parts.wizardPanel->form().Picture1->setPixmap(pagePicture(ToolPicture::Insert, 96, palette));
    parts.wizardPanel->form().Picture2->setPixmap(pagePicture(ToolPicture::Edit, 96, palette));
    parts.wizardPanel->form().Picture3->setPixmap(pagePicture(ToolPicture::Fix, 96, palette));
    parts.wizardPanel->form().Picture4->setPixmap(pagePicture(ToolPicture::Add, 96, palette));
}

void buildToolbar(QToolBar& toolbar)
{
    // The groups of buttons stand apart by fixed gaps.
    const int gaps[] = {29, 20, 48};
    int next = 0;
    for (QAction* action : toolbar.actions()) {
        if (!action->isSeparator() || next >= 3)
            continue;
        auto* gap = new QWidget(&toolbar);
        gap->setFixedWidth(gaps[next++]);
        toolbar.insertWidget(action, gap);
        toolbar.removeAction(action);
    }
    toolbar.setFixedHeight(44);
}

void buildStatusBar(WindowParts& parts, QObject& fontWatcher)
{
    Ui::TVantorel* ui = parts.form;
    struct Panel {
        const char* text;
        int width;
        Qt::Alignment alignment;
        const char* purpose;  // what a screen reader says the panel is
    };
    const Panel panels[] = {
        {QT_TRANSLATE_NOOP("TVantorel", "Current Project List"), 250, Qt::AlignLeft, "List file"},
        {"0000", 40, Qt::AlignHCenter, "Projects in the list"},
        {"", 40, Qt::AlignLeft, "Found project"},
        {"", 40, Qt::AlignHCenter, "Found at row"},
        {QT_TRANSLATE_NOOP("TVantorel", "Project Discription"), 50, Qt::AlignLeft, "Found description"},
    };
    int index = 0;
    for (const Panel& p : panels) {
        const int number = index++;
        auto* label = new QLabel(ui->StatusBar);
        label->setObjectName(QStringLiteral("StatusPanel%1").arg(number));
        setStatusPanelPurpose(label, QString::fromLatin1(p.purpose));
        label->setText(*p.text ? QCoreApplication::translate("TVantorel", p.text) : QString());
        label->setAlignment(p.alignment | Qt::AlignVCenter);
        label->setFrameShape(QFrame::Panel);
        label->setFrameShadow(QFrame::Sunken);
        label->setMinimumWidth(p.width);
        if (index < 5)
            label->setFixedWidth(p.width);
        // The last panel takes what room is left, as the last panel of a status bar does.
        ui->StatusBar->addWidget(label, index < 5 ? 0 : 1);
        parts.statusPanels << label;
    }
    ui->StatusBar->setSizeGripEnabled(false);
    fitStatusBarToFont(parts);
    ui->StatusBar->installEventFilter(&fontWatcher);
    parts.statusPanel(1)->installEventFilter(&fontWatcher);
}

void fitStatusBarToFont(const WindowParts& parts)
{
    Ui::TVantorel* ui = parts.form;
    // 20 pixels, or a line of a larger desktop font.
    ui->StatusBar->setFixedHeight(qMax(20, ui->StatusBar->fontMetrics().height() + 6));
    // The line count and the found row have room for a list of a million
    // lines in any font.
    for (QLabel* number : {parts.statusPanel(1), parts.statusPanel(3)}) {
        const QFontMetrics metrics = number->fontMetrics();
        number->setFixedWidth(qMax(40, metrics.horizontalAdvance(QStringLiteral("1000000")) +
                                           2 * number->frameWidth() + 2 * metrics.averageCharWidth()));
    }
}

void centreOnScreen(QWidget& window, QScreen* screen)
{
    // Centred on the screen, and never partly off it: on a small screen
    // or at a large scale the window shrinks to what is available.
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QSize frame = window.frameGeometry().size() - window.size();
    window.resize(window.size().boundedTo(available.size() - frame));
    QRect placed(QPoint(), window.frameGeometry().size().boundedTo(available.size()));
    placed.moveCenter(available.center());
    window.move(placed.topLeft());
}

void widenNumberColumnFor(QTableView& view, const LineList& lines)
{
    // Column "Num" is made for three digits at the usual font; a longer
    // number, or three digits in a larger font, is shown whole.
    std::size_t longest = 3;
    for (std::string_view line : lines)
        if (line.size() > 3 && line[3] >= '0' && line[3] <= '9')
            longest = std::max(longest, std::min<std::size_t>(numberKeyLength(line), 12));
    const QFontMetrics metrics(view.font());
    const int needed = metrics.horizontalAdvance(QString(int(longest) + 2, QLatin1Char('0')))
        + 2 * view.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 6;
    if (view.columnWidth(0) < needed)
        view.setColumnWidth(0, needed);
}

void fitRowsToFont(QTableView& view)
{
    view.verticalHeader()->setDefaultSectionSize(QFontMetrics(view.font()).height() + 2);
}

// Each panel keeps the place the window's design gives it while there is room,
// grows to what its contents ask for (larger fonts, high-DPI scaling) and
// stays inside the area over the list.
void placePanels(const WindowParts& parts)
{
    struct Placement {
        QWidget* panel;
        QRect designed;
    };
    const QRect area = parts.form->centralwidget->rect();
    for (const Placement& p : {Placement {parts.wizardPanel, QRect(112, 136, 457, 241)},
                               Placement {parts.optionsPanel, QRect(128, 152, 385, 201)}}) {
        const QSize wanted = p.designed.size().expandedTo(p.panel->sizeHint()).boundedTo(area.size());
        QRect placed(p.designed.topLeft(), wanted);
        placed.moveRight(qMin(placed.right(), area.right()));
        placed.moveBottom(qMin(placed.bottom(), area.bottom()));
        placed.moveLeft(qMax(placed.left(), area.left()));
        placed.moveTop(qMax(placed.top(), area.top()));
        p.panel->setGeometry(placed);
    }
}
