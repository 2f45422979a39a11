// What a desktop editor does for its window: its place and size kept between
// runs, the selected project copied as its line, and the colours of a
// palette that changes while the program runs.
#include "app/tvantorel.h"

#include "ui_tvantorel.h"

#include "app/optionspages.h"
#include "app/projectlistmodel.h"
#include "app/contexthelp.h"
#include "app/settingsstore.h"
#include "app/windowplace.h"
#include "help/twhatsthis.h"
#include "wizard/wizardpages.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QTableView>

namespace {

const QString windowGroup = QStringLiteral("Window");
const QString geometryKey = QStringLiteral("Geometry");

// Wholly on one screen's available area.
bool onSomeScreen(const QRect& frame)
{
    for (const QScreen* screen : QGuiApplication::screens())
        if (screen->availableGeometry().contains(frame))
            return true;
    return false;
}

} // namespace

bool TVantorel::restoreWindowPlace()
{
    SettingsStore store;
    const QString stored = store.readGroup(windowGroup).value(geometryKey);
    const QByteArray::FromBase64Result geometry =
        QByteArray::fromBase64Encoding(stored.toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (stored.isEmpty() || !geometry)
        return false;
    // A place no window can have had (edges across the whole integer range,
    // right of left, a sliver) is left unused: the window keeps its design.
    const std::optional<StoredWindowPlace> place = readStoredWindowPlace(*geometry);
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.append(screen->geometry());
    if (!place || !isSaneWindowPlace(*place, minimumSizeHint().expandedTo(minimumSize()), screens)
        || !restoreGeometry(*geometry))
        return false;
    // "Run Maximised" alone decides whether the window starts maximised.
    setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    // Left on a monitor that is gone, or partly off the screens there are.
    if (!onSomeScreen(frameGeometry())) {
        QScreen* screen = QGuiApplication::screenAt(frameGeometry().center());
        centreOnScreen(screen ? screen : QGuiApplication::primaryScreen());
    }
    return true;
}

void TVantorel::writeWindowPlace(SettingsStore& store)
{
    // A window never shown has no place of its own to keep.
    if (!centred_)
        return;
    store.writeGroup(windowGroup, {{geometryKey, QString::fromLatin1(saveGeometry().toBase64())}});
}

void TVantorel::wireCopy()
{
    QAction* copy = ui_->CopyProject1;
    copy->setShortcuts(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    ui_->Projects->addAction(copy);
    connect(copy, &QAction::triggered, this, &TVantorel::CopyProject1Click);
    // Offered beside "What's this?" when the list is right-clicked.
    TWhatsThis* whatsThis = contextHelp_->whatsThis();
    if (!whatsThis || !whatsThis->popupMenu())
        return;
    whatsThis->popupMenu()->addAction(copy);
    whatsThis->OnPopup = [this, copy](TWhatsThis*, QObject* item, qint32, int, int, bool&) {
        auto* control = qobject_cast<QWidget*>(item);
        const bool overList = control && (control == ui_->Projects || ui_->Projects->isAncestorOf(control));
        copy->setVisible(overList);
        copy->setEnabled(overList && ui_->Projects->selectionModel()->hasSelection());
    };
}

void TVantorel::CopyProject1Click()
{
    const QModelIndexList rows = ui_->Projects->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return;
    const std::string_view line = model_->line(rows.first().row());
    const LineCoding coding = lineCoding(line);
    auto* data = new QMimeData;
    data->setText(displayText(line, coding));
    // The line's own bytes too, under the code they are written in.
    data->setData(coding.eightBit ? QStringLiteral("text/plain;charset=windows-1252")
                                  : QStringLiteral("text/plain;charset=utf-8"),
                  QByteArray(line.data(), qsizetype(line.size())));
    QGuiApplication::clipboard()->setMimeData(data);
}

void TVantorel::followPalette()
{
    // Setting the list's own colours changes the palette again.
    if (followingPalette_)
        return;
    followingPalette_ = true;
    // The list's selection is not shown while the list does not have the
    // focus; a text colour chosen with Options > Colour stays.
    QPalette list = testAttribute(Qt::WA_SetPalette) ? palette() : QApplication::palette(ui_->Projects);
    if (listTextColour_)
        list.setColor(QPalette::Text, *listTextColour_);
    list.setColor(QPalette::Inactive, QPalette::Highlight, list.color(QPalette::Active, QPalette::Base));
    list.setColor(QPalette::Inactive, QPalette::HighlightedText, list.color(QPalette::Active, QPalette::Text));
    ui_->Projects->setPalette(list);
    drawPictures();
    // Style sheets that name palette colours take them when they are set.
    for (QWidget* panel : {static_cast<QWidget*>(wizardPanel_), static_cast<QWidget*>(optionsPanel_)})
        for (QWidget* styled : panel->findChildren<QWidget*>())
            if (!styled->styleSheet().isEmpty())
                styled->setStyleSheet(styled->styleSheet());
    followingPalette_ = false;
}
