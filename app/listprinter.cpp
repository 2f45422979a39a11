#include "app/listprinter.h"

#include "app/printsurface.h"
#include "app/projectlistmodel.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace {

constexpr int headingX = 100;
constexpr int firstPageHeadingsY = 100;
constexpr int firstPageRowsY = 200;
constexpr int laterPageHeadingsY = 0;
constexpr int laterPageRowsY = 100;

QFont headingFont(const QFont& chosen)
{
    QFont font(chosen);
    font.setFamily(QStringLiteral("Times new roman"));
    font.setPointSize(14);
    return font;
}

QFont listFont(const QFont& chosen)
{
    QFont font(chosen);
    font.setFamily(chosen.family());
    font.setPointSize(8);
    return font;
}

} // namespace

QString listHeading(const QDateTime& now, const QLocale& locale)
{
    QString heading = QCoreApplication::translate("ListPrinter", "ARDLOW PROJECT LIST: %1")
                          .arg(locale.toString(now.date(), QLocale::ShortFormat));
    if (now.time().msecsSinceStartOfDay() != 0)
        heading += QLatin1Char(' ') + locale.toString(now, locale.timeFormat(QLocale::LongFormat));
    return heading;
}

int percentOfWidth(int width, int percent)
{
    return qRound(width / 100.0 * percent);
}

ListPrinter::ListPrinter(PrintSurface& surface, PrintClock clock)
    : surface_(surface), clock_(std::move(clock))
{
}

int ListPrinter::rowAdvance(int pageHeight, int spacing, int firstRowY, int rowHeight)
{
    const int described = pageHeight / qMax(1, spacing);
    const qint64 lastRowBottom = qint64(firstRowY) + qint64(rowsPerPage - 1) * described + rowHeight;
    if (lastRowBottom <= pageHeight)
        return described;
    return qMax(0, (pageHeight - rowHeight - firstRowY) / (rowsPerPage - 1));
}

PrintOutcome ListPrinter::print(const ProjectListModel& rows, const PrintOptions& options)
{
    surface_.beginDocument();
    try {
        surface_.setFont(headingFont(options.font));
        const QDateTime now = clock_ ? clock_() : QDateTime::currentDateTime();
        surface_.drawText(headingX, 0, listHeading(now));
        surface_.setFont(listFont(options.font));
        drawColumnHeadings(firstPageHeadingsY, surface_.pageWidth(), options.rightJustify);
        if (drawRows(rows, options) == PrintOutcome::Aborted)
            return PrintOutcome::Aborted;
        surface_.endDocument();
        return PrintOutcome::Printed;
    } catch (...) {
        // No half document is left with the printer.
        try {
            surface_.abort();
        } catch (...) {
        }
        throw;
    }
}

void ListPrinter::drawColumnHeadings(int y, int width, bool rightJustify)
{
    surface_.drawText(percentOfWidth(width, 4), y, QCoreApplication::translate("ListPrinter", "Number"));
    surface_.drawText(percentOfWidth(width, 10), y, QCoreApplication::translate("ListPrinter", "Proj"));
    surface_.drawText(percentOfWidth(width, rightJustify ? 45 : 25), y, QCoreApplication::translate("ListPrinter", "Name"));
}

PrintOutcome ListPrinter::drawRows(const ProjectListModel& rows, const PrintOptions& options)
{
    const int count = rows.count();
    const int first = options.lastPageOnly ? (count / rowsPerPage) * rowsPerPage + 1 : 1;
    const int width = surface_.pageWidth();
    const int height = surface_.pageHeight();
    const int rowHeight = surface_.textHeight();
    const int descriptionEnd = percentOfWidth(width, 50);

    int y = firstPageRowsY;
    int advance = rowAdvance(height, options.spacing, firstPageRowsY, rowHeight);
    for (int ordinal = first; ordinal <= count; ++ordinal) {
        const int row = ordinal - 1;
        if (!drawChecked(percentOfWidth(width, 5), y, QString::number(ordinal))
            || !drawChecked(percentOfWidth(width, 10), y, rows.captionText(row)))
            return PrintOutcome::Aborted;
        const QString description = rows.descriptionText(row);
        const int x = options.rightJustify ? descriptionEnd - surface_.textWidth(description)
                                           : percentOfWidth(width, 15);
        if (!drawChecked(x, y, description))
            return PrintOutcome::Aborted;
        y += advance;
        if (ordinal % rowsPerPage == 0) {
            surface_.newPage();
            drawColumnHeadings(laterPageHeadingsY, width, options.rightJustify);
            y = laterPageRowsY;
            advance = rowAdvance(height, options.spacing, laterPageRowsY, rowHeight);
        }
    }
    return PrintOutcome::Printed;
}

bool ListPrinter::drawChecked(int x, int y, const QString& text)
{
    surface_.drawText(x, y, text);
    return !surface_.aborted();
}
