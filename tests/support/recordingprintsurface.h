#pragma once
// A print surface that keeps what was drawn, page by page, for layout tests.
// Text is measured as a fixed width per character; failures and an aborted
// job can be arranged.
#include "app/printsurface.h"

#include <QList>
#include <QString>

struct DrawnText {
    int page = 0;  // from 0
    int x = 0;
    int y = 0;
    QString text;
    QString family;
    int pointSize = 0;
    bool bold = false;
};

class RecordingPrintSurface : public PrintSurface {
public:
    int width = 2400;
    int height = 3400;
    int lineHeight = 40;
    int characterWidth = 20;

    // Arrangements: fail at the given new page (counted from 1) or at the
    // start; report the job aborted once this many texts were drawn.
    int failAtNewPage = 0;
    bool failAtBegin = false;
    int abortedAfterTexts = -1;

    // What happened.
    QList<DrawnText> drawn;
    int pages = 0;
    bool begun = false;
    bool ended = false;
    bool abandoned = false;

    QList<DrawnText> onPage(int page) const;
    const DrawnText* find(const QString& text, int page = -1) const;

    void beginDocument() override;
    void newPage() override;
    void endDocument() override;
    void abort() override;
    bool aborted() const override;
    int pageWidth() const override { return width; }
    int pageHeight() const override { return height; }
    void setFont(const QFont& font) override { font_ = font; }
    int textWidth(const QString& text) const override { return int(text.size()) * characterWidth; }
    int textHeight() const override { return lineHeight; }
    void drawText(int x, int y, const QString& text) override;

private:
    QFont font_;
};
