#pragma once
// The print surface on a real printer (a CUPS queue or a PDF file). The pages
// are kept until the document ends and then painted on the printer in one
// pass: Qt cannot abandon a job once painting has begun (QPrinter::abort does
// nothing for CUPS and PDF output, and ending the painter always hands the job
// over), so this is how an abandoned document never reaches the printer.
#include "app/printsurface.h"

#include <QFontMetrics>
#include <optional>
#include <vector>

class QPrinter;

class PainterPrintSurface : public PrintSurface {
public:
    // Qt hands pages to the print system as vector PDF, so the resolution is
    // only the grid the listing's fixed pixel offsets are laid on. At 300 dpi,
    // the default of common printers and of the CUPS PDF printer, the heading,
    // the column headings and the first row stand clear of each other.
    static constexpr int dotsPerInch = 300;

    explicit PainterPrintSurface(QPrinter& printer);

    void beginDocument() override;
    void newPage() override;
    void endDocument() override;
    void abort() override;
    bool aborted() const override;

    int pageWidth() const override { return width_; }
    int pageHeight() const override { return height_; }

    void setFont(const QFont& font) override;
    int textWidth(const QString& text) const override;
    int textHeight() const override;
    void drawText(int x, int y, const QString& text) override;

private:
    struct PlacedText {
        int x;
        int baseline;
        int font;
        int length;
        qsizetype start;  // in text_
    };
    void paintSpooledPages();
    void discardSpool();
    // The printer is painting a print preview's pages: no printer or output
    // file is needed, and nothing is written anywhere.
    bool previewing() const;

    QPrinter& printer_;
    bool begun_ = false;
    bool aborted_ = false;
    int width_ = 0;
    int height_ = 0;

    std::vector<QFont> fonts_;
    std::vector<int> ascents_;
    int currentFont_ = -1;
    std::optional<QFontMetrics> metrics_;

    QString text_;
    std::vector<PlacedText> placed_;
    std::vector<std::size_t> pageStarts_;  // index in placed_ of each page's first text
};
