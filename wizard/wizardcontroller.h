#pragma once
// The wizard panel: which page shows, the mode of page 4, opening the wizard,
// preparing page 4 and the Back, Next and Cancel buttons. Pages 1 to 3 are
// filled by the list file chooser. Page 4 always edits the list in use: when
// the list is read again or another file becomes the list in use by anything
// but the wizard's own pages, the wizard closes as Cancel would.
#include "wizard/wizardmode.h"
#include "wizard/wizardnavigation.h"

#include <QObject>
#include <functional>
#include <string>

class ListFileChooser;
class ProjectListDocument;
class QWidget;
class WizardHost;
class WizardPages;
namespace Ui {
class WizardPages;
}

class WizardController : public QObject, public WizardNavigation {
    Q_OBJECT
public:
    WizardController(WizardPages& pages, ProjectListDocument& document, WizardHost& host, QObject* parent = nullptr);

    // Pages 1 to 3.
    ListFileChooser& listFileChooser() const { return *chooser_; }

    WizardMode mode() const { return mode_; }
    void setMode(WizardMode mode) override { mode_ = mode; }

    // Shows the wizard on page 1 or 4 in mode; a number other than 0 goes
    // into the number box.
    void ShowWizard(WizardMode mode, int page, int number);
    // Prepares page 4 for the mode, for the list file listPath. Returns false
    // when the user would not have an existing list erased for a new one, or
    // would not let the unsaved changes of the list in memory go.
    bool SetupPage4(const std::string& listPath) override;
    // path becomes the list file in use, shown in the status bar.
    void adoptListFile(const std::string& path) override;
    // The number box shows number (the selector follows within its range).
    void showNumber(int number);
    // Runs change, a change of the list or of the list file in use that the
    // wizard's own pages make, without closing the wizard.
    void changeListFromWizard(const std::function<void()>& change) override;

    void showPage(QWidget* page) override;
    void hide() override;
    void cancel();
    void dirselectClicked();
    void back2();
    void next2();
    void back3();
    void back4();

signals:
    // Page 4 is to show the project of the number box afresh.
    void projectToShow();

private:
    Ui::WizardPages& ui() const;
    void closeForOutsideChange();

    WizardPages& pages_;
    ProjectListDocument& document_;
    WizardHost& host_;
    ListFileChooser* chooser_;
    WizardMode mode_ = mdNone;
    bool changingFromWizard_ = false;
};
