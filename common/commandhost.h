#pragma once
// What a controller needs of the window it serves: where its prompts go, and
// the way a command's failure is reported (a message, then the program goes
// on). The window's dialogs may be replaced while it lives, so controllers
// ask for them each time instead of keeping them.
#include <functional>

class Dialogs;

class CommandHost {
public:
    virtual ~CommandHost() = default;

    virtual Dialogs& dialogs() const = 0;
    // Runs command; a failure is reported to the user. False when it failed.
    virtual bool runCommand(const std::function<void()>& command) = 0;
};
