#include "wizard/listfilechooser.h"

#include "ui_wizardpages.h"

#include "common/dialogs.h"
#include "common/displaytext.h"
#include "common/quindleerror.h"
#include "document/projectlistdocument.h"
#include "listfile/intconversion.h"
#include "listfile/listfilehead.h"
#include "wizard/crlabelpainter.h"
#include "wizard/projectpaths.h"
#include "wizard/wizardhost.h"
#include "wizard/wizardnavigation.h"
#include "wizard/wizardpages.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString projectsTxt = QStringLiteral("projects.txt");

QString fromBytes(const std::string& bytes)
{
    return QString::fromLocal8Bit(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

bool isDirectory(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

// The system's own reason for the last failure, as the error report shows it.
[[noreturn]] void failWithSystemReason()
{
    throw QuindleError(QString::fromLocal8Bit(std::strerror(errno)));
}

std::string currentDirectory()
{
    return storedBytes(QDir::currentPath());
}

} // namespace

ListFileChooser::ListFileChooser(WizardPages& pages, ProjectListDocument& document, WizardHost& host,
                                 WizardNavigation& wizard, QObject* parent)
    : QObject(parent), pages_(pages), document_(document), host_(host), wizard_(wizard)
{
    CrLabelPainter::install(ui().Message3);
}

Ui::WizardPages& ListFileChooser::ui() const
{
    return pages_.form();
}

std::string ListFileChooser::listPath() const
{
    return joinedPath(projectDir_, storedBytes(ui().Projectfilename->text()));
}

void ListFileChooser::SetupPage1()
{
    Ui::WizardPages& f = ui();
    f.P1->setVisible(true);
    const std::string dir = directoryPart(document_.currentListFile());
    if (dir.empty()) {
        f.Message1->setText(tr("No project Directory is assigned"));
        f.Dirselect->setItems({tr("Select a Directory"), tr("Create a New Directory")});
    } else {
        f.Dirselect->setItems({tr("Select another Directory"), tr("Create a New Directory"),
                               tr("Use the current Directory")});
        f.Dirselect->setItemIndex(2);
        f.Message1->setText(tr("The Project Directory is Currently %1").arg(displayText(dir)));
    }
    if (f.Dirselect->itemIndex() >= 0)
        f.Next1->setEnabled(true);
}

bool ListFileChooser::browse(std::string& chosen)
{
    FileDialogOptions options;
    options.filter = tr("Project List File [*.txt]|*.txt|Any file |*.*");
    options.defaultExtension = QStringLiteral("txt");
    options.initialFolder = browseFolder_;
    options.fileName = browseFileName_;
    options.mustExist = false;
    const std::optional<QString> file = host_.dialogs().openFileName(options);
    if (!file)
        return false;
    const QFileInfo info(*file);
    browseFolder_ = info.absolutePath();
    browseFileName_ = info.fileName();
    chosen = storedBytes(*file);
    return true;
}

void ListFileChooser::Next1Click()
{
    switch (ui().Dirselect->itemIndex()) {
    case 0:
        selectDirectory();
        return;
    case 1:
        createDirectory();
        return;
    case 2:
        projectDir_ = directoryPart(document_.currentListFile());
        wizard_.showPage(ui().Page2);
        break;
    default:
        break;
    }
    ui().ProjectDirectory->setText(displayText(projectDir_));
}

void ListFileChooser::selectDirectory()
{
    browseFolder_ = QDir::currentPath();
    browseFileName_ = projectsTxt;
    std::string chosen;
    if (!browse(chosen))
        return;
    projectDir_ = directoryPart(chosen);
    wizard_.showPage(ui().Page2);
    ui().ProjectDirectory->setText(displayText(projectDir_));
}

void ListFileChooser::createDirectory()
{
    if (browseFolder_.isEmpty())
        browseFolder_ = QDir::currentPath();
    std::string chosen;
    if (!browse(chosen))
        return;
    host_.runCommand([&] {
        // A list file named relative to the working folder must keep naming
        // the same file once the working folder moves.
        const std::string current = document_.currentListFile();
        if (!current.empty() && current.front() != '/')
            wizard_.changeListFromWizard(
                [&] { document_.setCurrentListFile(joinedPath(currentDirectory(), current)); });
        const std::string parent = directoryPart(chosen);
        if (::chdir(parent.c_str()) != 0)
            failWithSystemReason();
        const QString here = QDir::currentPath();
        const std::optional<QString> answer = host_.dialogs().inputText(
            tr("New Folder"), tr("Enter New Folder Name"), here);
        // A relative name is taken in the folder just chosen; the list file
        // then has a path that does not depend on the working folder.
        std::string name = storedBytes(answer.value_or(here));
        if (name.empty() || name.front() != '/')
            name = joinedPath(currentDirectory(), name);
        projectDir_ = withoutTrailingSeparator(name);
        if (!isDirectory(projectDir_) && ::mkdir(projectDir_.c_str(), 0777) != 0)
            failWithSystemReason();
        wizard_.showPage(ui().Page2);
        ui().ProjectDirectory->setText(displayText(projectDir_));
    });
}

void ListFileChooser::BrowseClick()
{
    browseFolder_ = fromBytes(projectDir_);
    std::string chosen;
    if (browse(chosen))
        ui().Projectfilename->setText(displayText(namePart(chosen)));
}

void ListFileChooser::SetupPage3()
{
    Ui::WizardPages& f = ui();
    f.P3->setVisible(true);
    const std::string path = listPath();
    const QString name = f.Projectfilename->text();
    if (!isFile(path)) {
        f.Message3->setText(tr("No Project file\rexists in this directory"));
        CrLabelPainter::fitToText(f.Message3);
        f.Duplicatefile->setItems({tr("Start new project list %1").arg(name),
                                   tr("Select another filename")});
        f.Duplicatefile->setItemIndex(0);
        f.Next3->setProperty("Tag", int(pcNoFile));
        return;
    }
    // A project list begins with a number in its first three characters.
    const IntConversion read = convertInteger(firstLineStart(path, 3));
    if (!read.ok()) {
        f.Message3->setText(tr("An unknown or empty file with the same name as your Projects list\r"
                               "exists in this directory %1")
                                .arg(read.value));
        CrLabelPainter::fitToText(f.Message3);
        f.Duplicatefile->setItems({tr("Overwrite it "), tr("Select another filename")});
        f.Duplicatefile->setItemIndex(1);
        f.Next3->setProperty("Tag", int(pcUnknownFile));
    } else {
        f.Message3->setText(tr("A Project file with the same name as your\rProjects list (%1) exists in this directory")
                                .arg(name));
        CrLabelPainter::fitToText(f.Message3);
        f.Duplicatefile->setItems({tr("Append or Edit Project list"),
                                   tr("Start new project list using this file"),
                                   tr("Select another filename"),
                                   tr("Use this file, Quit the Wizard")});
        f.Duplicatefile->setItemIndex(0);
        f.Next3->setProperty("Tag", int(pcProjectFile));
    }
}

bool ListFileChooser::loadChosenFile(const std::string& path)
{
    if (!host_.settleUnsavedChanges())
        return false;
    bool loaded = false;
    wizard_.changeListFromWizard([&] { host_.runCommand([&] { loaded = host_.openList(path); }); });
    if (loaded)
        wizard_.adoptListFile(path);
    return loaded;
}

void ListFileChooser::Next3Click()
{
    enum Action { ToPage2, NewList, EditList, QuitWithFile };
    const int tag = ui().Next3->property("Tag").toInt();
    const int choice = ui().Duplicatefile->itemIndex();
    Action action = ToPage2;
    if ((tag == pcNoFile || tag == pcUnknownFile) && choice == 0)
        action = NewList;
    else if (tag == pcProjectFile)
        action = choice == 0 ? EditList : choice == 1 ? NewList : choice == 3 ? QuitWithFile : ToPage2;

    // The chosen file becomes the list in use only here, and is read into
    // memory at once, so Finish always writes a file its own lines.
    const std::string path = listPath();
    switch (action) {
    case ToPage2:
        wizard_.showPage(ui().Page2);
        return;
    case QuitWithFile:
        if (loadChosenFile(path))
            wizard_.hide();
        return;
    case EditList:
        if (!loadChosenFile(path))
            return;
        wizard_.setMode(mdEdit);
        break;
    case NewList:
        wizard_.setMode(mdNewList);
        break;
    }
    wizard_.showPage(ui().Page4);
    ui().Back4->setVisible(true);
    wizard_.SetupPage4(path);
}
