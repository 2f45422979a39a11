#pragma once
// What the list printer needs of a printer: pages, fonts and text placed in
// device pixels from the top-left corner of the printable area. A failure
// throws QuindleError.
#include <QFont>
#include <QString>

class PrintSurface {
public:
    virtual ~PrintSurface() = default;

    virtual void beginDocument() = 0;
    virtual void newPage() = 0;
    virtual void endDocument() = 0;
    // Abandons the document begun: nothing of it reaches the printer.
    virtual void abort() = 0;
    virtual bool aborted() const = 0;

    // The printable area in device pixels.
    virtual int pageWidth() const = 0;
    virtual int pageHeight() const = 0;

    virtual void setFont(const QFont& font) = 0;
    // Measured in the current font.
    virtual int textWidth(const QString& text) const = 0;
    virtual int textHeight() const = 0;
    // y is the top of the text, not its baseline.
    virtual void drawText(int x, int y, const QString& text) = 0;
};
