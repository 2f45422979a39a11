#include "printingdialogs.h"

#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QStyleOptionGraphicsItem>
#include <algorithm>
#include <map>

namespace {

// A paint device that keeps only the texts drawn on it, where they stand.
class TextRecorder : public QPaintDevice {
public:
    struct Placed {
        QPointF at;
        QString text;
    };
    QList<Placed> texts;

    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: case PdmHeight: return 100000;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 300;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 1000;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(TextRecorder& device) : QPaintEngine(AllFeatures), device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawRects(const QRectF*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawTextItem(const QPointF& at, const QTextItem& item) override
        {
            device_.texts.append({painter()->combinedTransform().map(at), item.text()});
        }
        Type type() const override { return User; }

    private:
        TextRecorder& device_;
    };
    mutable Engine engine_{*const_cast<TextRecorder*>(this)};
};

// The text lines of a page as the preview paints it: texts that share a
// baseline, left to right, joined by blanks.
QStringList pageLines(QGraphicsItem& page)
{
    TextRecorder recorder;
    {
        QPainter painter(&recorder);
        QStyleOptionGraphicsItem option;
        option.exposedRect = page.boundingRect();
        page.paint(&painter, &option, nullptr);
    }
    std::map<int, QList<TextRecorder::Placed>> rows;
    for (const TextRecorder::Placed& placed : recorder.texts)
        rows[qRound(placed.at.y())].append(placed);
    QStringList lines;
    for (auto& [baseline, texts] : rows) {
        std::sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return a.at.x() < b.at.x(); });
        QStringList words;
        for (const TextRecorder::Placed& placed : texts)
            words << placed.text;
        lines << words.join(QLatin1Char(' ')).simplified();
    }
    return lines;
}

// The pages of a preview, top to bottom.
QList<QStringList> previewPages(QPrintPreviewWidget& preview)
{
    QList<QStringList> pages;
    auto* view = preview.findChild<QGraphicsView*>();
    if (!view || !view->scene())
        return pages;
    QList<QGraphicsItem*> items = view->scene()->items();
    std::sort(items.begin(), items.end(), [](const QGraphicsItem* a, const QGraphicsItem* b) {
        return a->pos().y() != b->pos().y() ? a->pos().y() < b->pos().y() : a->pos().x() < b->pos().x();
    });
    for (QGraphicsItem* page : items)
        pages << pageLines(*page);
    return pages;
}

} // namespace

void PrintingDialogs::printPreview(QPrinter& printer, const std::function<void(QPrinter&)>& paint)
{
    ScriptedDialogs::printPreview(printer, paint);
    QPrintPreviewWidget preview(&printer);
    preview.setViewMode(QPrintPreviewWidget::SinglePageView);
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&paint](QPrinter* target) { paint(*target); });
    preview.updatePreview();
    previewPageCounts << preview.pageCount();
    previewedPages = previewPages(preview);
    if (printFromPreview) {
        if (choosePrinter)
            choosePrinter(printer);
        preview.print();
    }
}
