#pragma once
// The wizard drawn on the main window: which page shows, the mode of page 4,
// opening the wizard, preparing page 4 and the Back, Next and Cancel buttons.
// Pages 1 to 3 are filled by the list file chooser.
#include "wizardmode.h"

#include <QObject>
#include <string>

class ListFileChooser;
class TVantorel;
class QWidget;
namespace Ui {
class TVantorel;
}

class WizardController : public QObject {
    Q_OBJECT
public:
    explicit WizardController(TVantorel& window);

    // Pages 1 to 3.
    ListFileChooser& listFileChooser() const { return *chooser_; }

    WizardMode mode() const { return mode_; }
    void setMode(WizardMode mode) { mode_ = mode; }

    // Shows the wizard on page 1 or 4 in mode; a number other than 0 goes
    // into the number box.
    void ShowWizard(WizardMode mode, int page, int number);
    // Prepares page 4 for the mode, for the list file listPath. Returns false
    // when the user would not have an existing list erased for a new one.
    bool SetupPage4(const std::string& listPath);
    // path becomes the list file in use, shown in the status bar.
    void adoptListFile(const std::string& path);
    // The number box shows number (the selector follows within its range).
    void showNumber(int number);

    void showPage(QWidget* page);
    void hide();
    void cancel();
    void dirselectClicked();
    void back2();
    void next2();
    void back3();
    void back4();

private:
    Ui::TVantorel& ui() const;

    TVantorel& window_;
    ListFileChooser* chooser_;
    WizardMode mode_ = mdNone;
};
