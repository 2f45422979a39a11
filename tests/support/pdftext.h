#pragma once
// Reading back a PDF with poppler's command-line tools (pdftotext -bbox,
// pdfinfo): the words with their boxes in points, and the page count.
#include <QList>
#include <QSizeF>
#include <QString>
#include <QStringList>

struct PdfWord {
    int page = 0;  // from 0
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0;
    QString text;
};

// Empty when the tool is missing or the file cannot be read.
QList<PdfWord> pdfWords(const QString& pdfFile);
// The text lines of one page, top to bottom: words whose boxes share a
// line, left to right, joined by blanks.
QStringList pdfPageLines(const QList<PdfWord>& words, int page);
// -1 when unknown.
int pdfPageCount(const QString& pdfFile);
QSizeF pdfPageSize(const QString& pdfFile);
bool popplerToolsAvailable();
