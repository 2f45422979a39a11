#pragma once
// The main window: the whole user interface. It owns the list document (the
// list in memory and the list file in use), the list view, the options pages,
// the wizard pages and the controllers of its concerns (WindowParts), and
// wires them (app/windowwiring.h): its slots keep the names of the commands
// they serve and hand the real work to the class of their subsystem. What
// the controllers ask of the window is answered by its WindowHost. The list
// view follows the document: it is refilled whenever the lines become
// another list as a whole.
#include <QMainWindow>
#include <QString>
#include <memory>
#include <string>

#include "app/windowparts.h"

class Dialogs;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

class TVantorel : public QMainWindow {
    Q_OBJECT
public:
    // dialogs: where prompts go; the window's own Qt dialogs when null.
    explicit TVantorel(QWidget* parent = nullptr, Dialogs* dialogs = nullptr);
    ~TVantorel() override;

    // The list document: the list in memory and the list file in use.
    ProjectListDocument& document() const { return *parts_.document; }
    // The form, the view, the panels, the controllers and the host.
    const WindowParts& parts() const { return parts_; }

    // A list file to use instead of the stored one from the first activation
    // on (a file named on the command line).
    void useListFileAtStartup(const QString& path);
    // The same for the name's own bytes, which need not be UTF-8.
    void useListFileAtStartup(const std::string& path);

public slots:
    // start-up, shutdown and the options
    void FormActivate();
    void Load1Click();
    void Font1Click();
    void Colour1Click();
    void General1Click();
    void CloseTabsClick();
    void StartDelayTimer();
    void Exit1Click();

    // list repair
    void FixErrors1Click();

    // search and the jump between list start and end
    void ProjectSearch();
    void FindDialog1Find();
    void InvertListClick();

    // printing
    void Print1Click();
    void PrintPreview1Click();
    void PrintSetupClick();

    // wizard and record editing
    void NewClick();
    void Addproject1Click();
    void InsertProject1Click();
    void EditProject1Click();
    void RemoveProject1Click();
    void ProjectChange();
    void UtilBtnClick();
    void RemoveClick();
    void Next4Click();
    void CancelWizardClick();
    void DirselectClick();
    void Next1Click();
    void BrowseClick();
    void Back2Click();
    void Next2Click();
    void Back3Click();
    void Next3Click();
    void Back4Click();

    // undo and redo of the changes to the list
    void Undo1Click();
    void Redo1Click();

    // context help
    void mainHelpClick();
    void HelpBtnClick();

    // about box and links
    void About1Click();
    void CorvaneonTheWeb1Click();
    void ContactCorvane1Click();

    // the selected project copied as its line
    void CopyProject1Click();

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::unique_ptr<Ui::TVantorel> ui_;
    std::unique_ptr<WindowHost> host_;
    std::unique_ptr<ContextHelp> contextHelp_;
    WindowParts parts_;
};
