#include "app/windowhost.h"

#include "ui_optionspages.h"
#include "ui_tvantorel.h"

#include "app/listfileguard.h"
#include "app/listfiletexts.h"
#include "app/loadprogress.h"
#include "app/optionspages.h"
#include "app/projectlistmodel.h"
#include "app/qtdialogs.h"
#include "app/recentlistsmenu.h"
#include "app/windowparts.h"
#include "app/windowwiring.h"
#include "common/displaytext.h"
#include "common/quindleerror.h"
#include "document/projectlistdocument.h"
#include "listfile/lineformat.h"
#include "listfile/listfileerror.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTableView>

#include <sys/stat.h>

namespace {


// Whether a list file of that name exists. A name that is no UTF-8 is looked
// up by its own bytes: a QString would not carry them.
bool listFileExists(const std::string& path)
{
    const QString name = QFile::decodeName(QByteArray::fromStdString(path));
    if (QFile::encodeName(name).toStdString() == path)
        return QFileInfo::exists(name);
    struct stat info {};
    return path.find('\0') == std::string::npos && ::stat(path.c_str(), &info) == 0;
}

} // namespace

WindowHost::WindowHost(QWidget& window, const WindowParts& parts, Dialogs* dialogs)
    : window_(window), parts_(parts)
{
    setDialogs(dialogs);
}

WindowHost::~WindowHost() = default;

void WindowHost::setDialogs(Dialogs* dialogs)
{
    if (dialogs) {
        dialogs_ = dialogs;
        return;
    }
    if (!ownDialogs_)
        ownDialogs_ = std::make_unique<QtDialogs>(&window_);
    dialogs_ = ownDialogs_.get();
}

bool WindowHost::runCommand(const std::function<void()>& command)
{
    try {
        command();
        return true;
    } catch (const QuindleError& e) {
        dialogs_->showError(e.message());
    } catch (const ListFileReadCancelled&) {
        // The user's own choice: nothing to tell.
    } catch (const ListFileError& e) {
        dialogs_->showError(listFileErrorText(e.what()));
    } catch (const std::bad_alloc&) {
        dialogs_->showError(QCoreApplication::translate("TVantorel", "Out of memory"));
    } catch (const std::exception& e) {
        dialogs_->showError(QString::fromLocal8Bit(e.what()));
    }
    return false;
}

bool WindowHost::openList(const std::string& path)
{
    if (!listFileExists(path)) {
        dialogs_->showMessage(QCoreApplication::translate("TVantorel", "Cannot find list file %1").arg(pathText(path)));
        return false;
    }
    LoadProgress progress(&window_, QCoreApplication::translate("TVantorel", "Reading the %1 ...").arg(listFileNamed(path)));
    // The view follows the document.
    parts_.document->load(path, std::ref(progress));
    parts_.recentLists->remember(path);
    return true;
}

void WindowHost::openListFile(const QString& path)
{
    if (!parts_.listFileGuard->settleUnsavedChanges())
        return;
    const std::string bytes = storedBytes(path);
    runCommand([&] {
        // A missing file is said, and still becomes the list in use.
        openList(bytes);
        parts_.document->setCurrentListFile(bytes);
        parts_.listFileGuard->offerRecovery();
    });
}

void WindowHost::refillView()
{
    const LineList& lines = parts_.document->lines();
    parts_.statusPanel(1)->setText(QString::number(lines.size()));
    parts_.listModel->fill(lines);
    widenNumberColumnFor(*parts_.form->Projects, lines);
    // A refilled view shows its first rows, as a view filled anew does.
    parts_.form->Projects->scrollToTop();
    if (!lines.empty()) {
        parts_.form->Print1->setEnabled(true);
        parts_.form->PrintPreview1->setEnabled(true);
        parts_.form->printerBtn->setEnabled(true);
    }
}

int WindowHost::selectedProjectNumber() const
{
    QTableView* view = parts_.form->Projects;
    const QModelIndexList rows = view->selectionModel() ? view->selectionModel()->selectedRows() : QModelIndexList();
    if (rows.isEmpty())
        return -1;
    return captionProjectNumber(parts_.listModel->caption(rows.first().row()));
}

std::optional<ShownCaption> WindowHost::lastShownCaption() const
{
    const ProjectListModel& model = *parts_.listModel;
    if (model.count() == 0)
        return std::nullopt;
    const int last = model.count() - 1;
    return ShownCaption{std::string(model.caption(last)), model.coding(last)};
}

bool WindowHost::allowsDuplicates() const
{
    return parts_.optionsPanel->form().Allowduplicates->isChecked();
}

bool WindowHost::saveList()
{
    return parts_.listFileGuard->saveList();
}

bool WindowHost::settleUnsavedChanges()
{
    return parts_.listFileGuard->settleUnsavedChanges();
}
