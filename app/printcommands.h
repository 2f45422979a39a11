#pragma once
// Printing the list view as it is: the print dialog and the printer setup
// share one printer object, the preview lays the pages out as Print does,
// and every failure from the dialog to the end of the document is reported
// alike.
#include <QObject>
#include <functional>
#include <memory>

#include "app/listprinter.h"

class CommandHost;
class PrintSurface;
class ProjectListModel;
class QPrinter;

class PrintCommands : public QObject {
    Q_OBJECT
public:
    // options: the print options as set now (read at each print).
    PrintCommands(const ProjectListModel& view, CommandHost& host, std::function<PrintOptions()> options,
                  QObject* parent = nullptr);
    ~PrintCommands() override;

    // The one printer object that the print dialog and printer setup share.
    QPrinter& printer();
    // Where the heading's date and time come from (now when not set).
    void setClock(PrintClock clock) { clock_ = std::move(clock); }
    // What a job is drawn on; the printer itself when not set.
    using SurfaceFactory = std::function<std::shared_ptr<PrintSurface>(QPrinter&)>;
    void setSurfaceFactory(SurfaceFactory factory) { surfaceFactory_ = std::move(factory); }

    void print();
    void preview();
    void setUp();

private:
    // Lays the list out on target as a print job; a failure throws.
    void printOn(QPrinter& target);
    void showFailure();

    const ProjectListModel& view_;
    CommandHost& host_;
    std::function<PrintOptions()> options_;
    std::shared_ptr<QPrinter> printer_;
    PrintClock clock_;
    SurfaceFactory surfaceFactory_;
};
