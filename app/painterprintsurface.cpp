#include "app/painterprintsurface.h"

#include "common/quindleerror.h"

#include <QCoreApplication>
#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPrinter>

PainterPrintSurface::PainterPrintSurface(QPrinter& printer) : printer_(printer) {}

void PainterPrintSurface::beginDocument()
{
    if (printer_.paintingActive())
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "The printer is busy with another document"));
    if (!previewing() && printer_.outputFormat() == QPrinter::PdfFormat && printer_.outputFileName().isEmpty())
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "No printer and no output file chosen"));
    if (!printer_.isValid())
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "The printer is not available"));
    printer_.setResolution(dotsPerInch);
    width_ = printer_.width();
    height_ = printer_.height();
    discardSpool();
    // Metrics depend on the resolution, which may differ from the last job.
    fonts_.clear();
    ascents_.clear();
    pageStarts_.push_back(0);
    begun_ = true;
    aborted_ = false;
    setFont(QFont());
}

void PainterPrintSurface::newPage()
{
    if (!begun_)
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "No document has been begun"));
    pageStarts_.push_back(placed_.size());
}

void PainterPrintSurface::endDocument()
{
    if (!begun_)
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "No document has been begun"));
    begun_ = false;
    paintSpooledPages();
    discardSpool();
}

void PainterPrintSurface::abort()
{
    begun_ = false;
    aborted_ = true;
    discardSpool();
}

bool PainterPrintSurface::aborted() const
{
    return aborted_ || printer_.printerState() == QPrinter::Aborted;
}

void PainterPrintSurface::setFont(const QFont& font)
{
    for (std::size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i] == font) {
            currentFont_ = int(i);
            metrics_.emplace(fonts_[i], &printer_);
            return;
        }
    }
    fonts_.push_back(font);
    metrics_.emplace(font, &printer_);
    ascents_.push_back(metrics_->ascent());
    currentFont_ = int(fonts_.size()) - 1;
}

int PainterPrintSurface::textWidth(const QString& text) const
{
    return metrics_ ? metrics_->horizontalAdvance(text) : 0;
}

int PainterPrintSurface::textHeight() const
{
    return metrics_ ? metrics_->height() : 0;
}

void PainterPrintSurface::drawText(int x, int y, const QString& text)
{
    if (!begun_)
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "No document has been begun"));
    placed_.push_back({x, y + ascents_[currentFont_], currentFont_, int(text.size()), text_.size()});
    text_ += text;
}

void PainterPrintSurface::paintSpooledPages()
{
    QPainter painter;
    if (!painter.begin(&printer_))
        throw QuindleError(QCoreApplication::translate("PainterPrintSurface", "The printer could not start the document"));
    // Once begun, Qt hands whatever was painted to the printer when the
    // painter ends; a PDF file that could not be finished is removed.
    const auto failed = [&](const QString& message) {
        painter.end();
        if (!previewing() && printer_.outputFormat() == QPrinter::PdfFormat)
            QFile::remove(printer_.outputFileName());
        return QuindleError(message);
    };
    int font = -1;
    for (std::size_t page = 0; page < pageStarts_.size(); ++page) {
        if (page > 0 && !printer_.newPage())
            throw failed(QCoreApplication::translate("PainterPrintSurface", "The printer could not start a new page"));
        const std::size_t end = page + 1 < pageStarts_.size() ? pageStarts_[page + 1] : placed_.size();
        for (std::size_t i = pageStarts_[page]; i < end; ++i) {
            const PlacedText& t = placed_[i];
            if (t.font != font) {
                font = t.font;
                painter.setFont(fonts_[font]);
            }
            painter.drawText(QPoint(t.x, t.baseline), QString::fromRawData(text_.constData() + t.start, t.length));
        }
    }
    if (!painter.end() || printer_.printerState() == QPrinter::Error)
        throw failed(QCoreApplication::translate("PainterPrintSurface", "The printer could not finish the document"));
}

bool PainterPrintSurface::previewing() const
{
    // Qt's preview paints the printer's pages as pictures.
    const QPaintEngine* engine = printer_.paintEngine();
    return engine && engine->type() == QPaintEngine::Picture;
}

void PainterPrintSurface::discardSpool()
{
    text_.clear();
    text_.squeeze();
    placed_.clear();
    placed_.shrink_to_fit();
    pageStarts_.clear();
}
