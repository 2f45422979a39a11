#pragma once
// What pages 1 to 3 ask of the wizard around them: another page, the mode of
// page 4, page 4 prepared for a file, closing, and changes of the list that
// the wizard itself makes.
#include "wizard/wizardmode.h"

#include <functional>
#include <string>

class QWidget;

class WizardNavigation {
public:
    virtual ~WizardNavigation() = default;

    virtual void showPage(QWidget* page) = 0;
    virtual void setMode(WizardMode mode) = 0;
    // False when the user would not have an existing list erased, or would
    // not let the unsaved changes of the list in memory go.
    virtual bool SetupPage4(const std::string& listPath) = 0;
    virtual void adoptListFile(const std::string& path) = 0;
    virtual void changeListFromWizard(const std::function<void()>& change) = 0;
    virtual void hide() = 0;
};
