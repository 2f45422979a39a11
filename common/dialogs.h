#pragma once
// Every modal prompt and standard dialog the program shows goes through this
// interface, so that tests can answer them and read what was shown.
#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

class QDialog;
class QPrinter;
class QWidget;

enum class MessageKind { Information, Warning, Error, Confirmation };
enum class MessageButton { Ok, Cancel, Yes, No, Abort };

struct FileDialogOptions {
    QString title;            // empty: the dialog's default title
    QString filter;           // classic form: "Description|*.txt|Other|*.*"
    QString defaultExtension; // added when the typed name has none
    QString initialFolder;    // empty: the dialog's own choice
    QString fileName;         // initial file name
    bool mustExist = true;    // false: a name that does not exist yet is fine
};

// One project that both this window and someone else changed differently
// since the list was last read or saved: the texts as shown to the user.
struct ConflictRow {
    QString number;
    QString theirs;
    QString mine;
};
enum class ConflictAnswer { KeepTheirs, KeepMine, KeepBoth };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // Plain message: the application's title as caption, one OK button.
    virtual void showMessage(const QString& text) = 0;
    // The program's error report: the message under the application's title
    // with an error icon.
    virtual void showError(const QString& text) = 0;
    // A question box of the given kind with the given buttons; returns the
    // button pressed (closing the box answers with the last button).
    virtual MessageButton ask(MessageKind kind, const QString& text,
                              const QList<MessageButton>& buttons) = 0;
    // Open-file dialog; nothing when cancelled.
    virtual std::optional<QString> openFileName(const FileDialogOptions& options) = 0;
    // One-line input box; nothing when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt,
                                             const QString& defaultText) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    virtual std::optional<QColor> chooseColour(const QColor& initial) = 0;
    // Print dialog and printer setup dialog on the shared printer object;
    // true when the user confirmed.
    virtual bool printDialog(QPrinter& printer) = 0;
    virtual bool printerSetup(QPrinter& printer) = 0;
    // The print preview on the shared printer object, with printing from it.
    // paint lays the pages out on the printer it is given, each time the
    // preview needs them (first showing, another page setup) and once more
    // when the user prints from the preview.
    virtual void printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint) = 0;
    // Runs one of the program's own modal dialogs (the about box).
    virtual int execDialog(QDialog& dialog) = 0;
    // The conflict window: every row with both texts side by side, each
    // answered (keep theirs, keep mine, keep both), with a default for all;
    // one answer a row, or nothing when the user cancels.
    virtual std::optional<QList<ConflictAnswer>> resolveConflicts(const QString& text,
                                                                  const QList<ConflictRow>& rows) = 0;
    // Shows text with a Cancel button until finished() holds, looking every
    // so often while the window's events go on; false when the user
    // cancelled first.
    virtual bool waitUntil(const QString& text, const std::function<bool()>& finished) = 0;
};
