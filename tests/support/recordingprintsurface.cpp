#include "recordingprintsurface.h"

#include "common/quindleerror.h"

QList<DrawnText> RecordingPrintSurface::onPage(int page) const
{
    QList<DrawnText> out;
    for (const DrawnText& d : drawn)
        if (d.page == page)
            out << d;
    return out;
}

const DrawnText* RecordingPrintSurface::find(const QString& text, int page) const
{
    for (const DrawnText& d : drawn)
        if (d.text == text && (page < 0 || d.page == page))
            return &d;
    return nullptr;
}

void RecordingPrintSurface::beginDocument()
{
    if (failAtBegin)
        throw QuindleError(QStringLiteral("printer unreachable"));
    begun = true;
    pages = 1;
}

void RecordingPrintSurface::newPage()
{
    if (!begun || ended || abandoned)
        throw QuindleError(QStringLiteral("new page outside a document"));
    if (failAtNewPage == pages)
        throw QuindleError(QStringLiteral("printer went away"));
    ++pages;
}

void RecordingPrintSurface::endDocument()
{
    if (!begun || abandoned)
        throw QuindleError(QStringLiteral("end outside a document"));
    ended = true;
}

void RecordingPrintSurface::abort()
{
    abandoned = true;
}

bool RecordingPrintSurface::aborted() const
{
    return abandoned || (abortedAfterTexts >= 0 && drawn.size() >= abortedAfterTexts);
}

void RecordingPrintSurface::drawText(int x, int y, const QString& text)
{
    if (!begun || ended || abandoned)
        throw QuindleError(QStringLiteral("drawing outside a document"));
    drawn.append({pages - 1, x, y, text, font_.family(), font_.pointSize(), font_.bold()});
}
