#pragma once
// What the controllers ask of the main window, answered from its parts: the
// dialogs (replaceable while the window lives), commands that report their
// failure, the list view's selection and last item, opening a list file, the
// option that allows duplicates, and the save with its questions. Kept apart
// from the window so that the window itself only builds and wires.
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "wizard/wizardhost.h"

class QWidget;
struct WindowParts;

class WindowHost : public WizardHost {
public:
    // window: the parent of the window's own dialogs and of the load's
    // progress; parts: read each time, as they are built after the host.
    WindowHost(QWidget& window, const WindowParts& parts, Dialogs* dialogs);
    ~WindowHost() override;

    Dialogs& dialogs() const override { return *dialogs_; }
    // dialogs: where prompts go; the window's own Qt dialogs when null.
    void setDialogs(Dialogs* dialogs);
    bool runCommand(const std::function<void()>& command) override;

    bool openList(const std::string& path) override;
    // Loads a list file as Load does once its dialog chose it: first asks
    // about unsaved changes; a missing file is said and still becomes the
    // list in use.
    void openListFile(const QString& path);
    // Fills the view and the line count anew from the list in memory.
    void refillView();

    int selectedProjectNumber() const override;
    std::optional<ShownCaption> lastShownCaption() const override;
    bool allowsDuplicates() const override;
    bool saveList() override;
    bool settleUnsavedChanges() override;

private:
    QWidget& window_;
    const WindowParts& parts_;
    std::unique_ptr<Dialogs> ownDialogs_;
    Dialogs* dialogs_ = nullptr;
};
