#pragma once
// Lays the list view's items out as a dated three-column listing, 60 rows a
// page, on a print surface.
#include <QDateTime>
#include <QFont>
#include <QLocale>
#include <QString>
#include <functional>

class PrintSurface;
class ProjectListModel;

struct PrintOptions {
    QFont font;                 // the font dialog's font
    int spacing = 60;           // the printable height divided by this is the row advance
    bool rightJustify = false;  // description ends at mid-page instead of starting at 15 %
    bool lastPageOnly = false;
};

enum class PrintOutcome { Printed, Aborted };

using PrintClock = std::function<QDateTime()>;

// "ARDLOW PROJECT LIST: " with the short date and long time of the locale;
// the date alone at exactly midnight.
QString listHeading(const QDateTime& now, const QLocale& locale = QLocale::system());

// x of a position given as a percentage of the printable width.
int percentOfWidth(int width, int percent);

class ListPrinter {
public:
    static constexpr int rowsPerPage = 60;

    // clock: where the heading's date and time come from (now when empty).
    explicit ListPrinter(PrintSurface& surface, PrintClock clock = {});

    // Prints the items of rows. A failure after the document was begun
    // abandons the document and is passed on. Aborted when the surface
    // reports the job aborted while rows are drawn.
    PrintOutcome print(const ProjectListModel& rows, const PrintOptions& options);

    // The row advance on a page whose first row stands at firstRowY: the
    // printable height divided by the spacing, shrunk when that would put
    // the page's last row below the printable area.
    static int rowAdvance(int pageHeight, int spacing, int firstRowY, int rowHeight);

private:
    void drawColumnHeadings(int y, int width, bool rightJustify);
    PrintOutcome drawRows(const ProjectListModel& rows, const PrintOptions& options);
    bool drawChecked(int x, int y, const QString& text);

    PrintSurface& surface_;
    PrintClock clock_;
};
