#pragma once
// What the wizard needs of the window it is shown in: the list view's
// selection and last item, opening a list file, the option that allows
// duplicate descriptions, the prompts, the way commands report failures, and
// the save of the list with the questions that guard it.
#include <optional>
#include <string>

#include "common/commandhost.h"
#include "common/displaytext.h"

// A caption as the list view has it, with the coding of its whole line.
struct ShownCaption {
    std::string bytes;
    LineCoding coding;
};

class WizardHost : public CommandHost {
public:
    // Loads path into the list document; the list view follows the
    // document. False when no file exists there (said to the user).
    virtual bool openList(const std::string& path) = 0;
    // Number of the selected project in the list view, or -1.
    virtual int selectedProjectNumber() const = 0;
    // Caption of the list view's last item; nothing when the view is empty.
    virtual std::optional<ShownCaption> lastShownCaption() const = 0;
    virtual bool allowsDuplicates() const = 0;
    // Writes the list to the list file in use (the view follows), first
    // asking when the file on disk was changed or deleted by someone else.
    // False when the user chose to leave the file as it is; a failed save
    // throws.
    virtual bool saveList() = 0;
    // Before the list in memory is replaced: when projects were applied or
    // removed and not saved, asks whether to save them first. False when the
    // user chose to stay (or the save did not happen); the caller then leaves
    // the list alone.
    virtual bool settleUnsavedChanges() = 0;
};
