#include "app/toolbaricons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QStyleOption>

namespace {

const char* themeName(ToolPicture picture)
{
    switch (picture) {
    case ToolPicture::Exit: return "application-exit";
    case ToolPicture::Edit: return "document-edit";
    case ToolPicture::Delete: return "edit-delete";
    case ToolPicture::Add: return "list-add";
    case ToolPicture::Fix: return "tools-check-spelling";
    case ToolPicture::Insert: return "insert-text";
    case ToolPicture::Swap: return "view-sort";
    case ToolPicture::Print: return "document-print";
    }
    return "";
}

void drawSheet(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(r);
    p.setPen(QPen(QColor(150, 160, 180), 1));
    for (qreal y = r.top() + 5; y < r.bottom() - 2; y += 4)
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
}

// A stroke drawn straight on the background: lighter where that is dark.
QColor ink(const QColor& colour, const QPalette& palette)
{
    if (palette.color(QPalette::Window).lightness() >= 128)
        return colour;
    return QColor::fromHsl(colour.hslHue(), colour.hslSaturation(), qMax(colour.lightness(), 180));
}

} // namespace

QPixmap drawnToolPicture(ToolPicture picture, int size, const QPalette& palette)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 32.0, size / 32.0);
    switch (picture) {
    case ToolPicture::Exit: {
        p.setPen(QPen(QColor(90, 60, 30), 1.5));
        p.setBrush(QColor(170, 120, 70));
        p.drawRect(QRectF(6, 3, 14, 26));
        p.setBrush(QColor(240, 200, 80));
        p.drawEllipse(QPointF(17, 16), 1.5, 1.5);
        p.setPen(QPen(QColor(200, 30, 30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(20, 16), QPointF(29, 16));
        p.drawLine(QPointF(25, 12), QPointF(29, 16));
        p.drawLine(QPointF(25, 20), QPointF(29, 16));
        break;
    }
    case ToolPicture::Edit: {
        drawSheet(p, QRectF(4, 3, 20, 26));
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(240, 190, 40));
        QPainterPath pencil;
        pencil.moveTo(27, 6); pencil.lineTo(30, 9); pencil.lineTo(16, 23);
        pencil.lineTo(12, 24); pencil.lineTo(13, 20); pencil.closeSubpath();
        p.drawPath(pencil);
        break;
    }
    case ToolPicture::Delete: {
        drawSheet(p, QRectF(4, 3, 20, 26));
        p.setPen(QPen(QColor(210, 20, 20), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 14), QPointF(28, 28));
        p.drawLine(QPointF(28, 14), QPointF(14, 28));
        break;
    }
    case ToolPicture::Add: {
        drawSheet(p, QRectF(4, 3, 20, 26));
        p.setPen(QPen(QColor(20, 150, 40), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(23, 14), QPointF(23, 28));
        p.drawLine(QPointF(16, 21), QPointF(30, 21));
        break;
    }
    case ToolPicture::Insert: {
        drawSheet(p, QRectF(10, 3, 20, 26));
        p.setPen(QPen(ink(QColor(30, 90, 200), palette), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(2, 16), QPointF(14, 16));
        p.drawLine(QPointF(10, 12), QPointF(14, 16));
        p.drawLine(QPointF(10, 20), QPointF(14, 16));
        break;
    }
    case ToolPicture::Fix: {
        drawSheet(p, QRectF(3, 3, 20, 26));
        p.setPen(QPen(ink(QColor(90, 90, 100), palette), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(14, 27), QPointF(25, 14));
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(ink(QColor(90, 90, 100), palette), 3));
        p.drawArc(QRectF(22, 5, 9, 9), 200 * 16, 280 * 16);
        break;
    }
    case ToolPicture::Swap: {
        p.setPen(QPen(ink(QColor(30, 90, 200), palette), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 4), QPointF(10, 28));
        p.drawLine(QPointF(5, 9), QPointF(10, 4));
        p.drawLine(QPointF(15, 9), QPointF(10, 4));
        p.drawLine(QPointF(22, 4), QPointF(22, 28));
        p.drawLine(QPointF(17, 23), QPointF(22, 28));
        p.drawLine(QPointF(27, 23), QPointF(22, 28));
        break;
    }
    case ToolPicture::Print: {
        p.setPen(QPen(ink(QColor(60, 60, 60), palette), 1.2));
        drawSheet(p, QRectF(9, 2, 14, 12));
        p.setBrush(QColor(150, 155, 165));
        p.drawRoundedRect(QRectF(3, 12, 26, 12), 2, 2);
        p.setBrush(QColor(250, 250, 245));
        p.drawRect(QRectF(8, 20, 16, 10));
        p.setBrush(QColor(40, 200, 60));
        p.drawEllipse(QPointF(25, 16), 1.3, 1.3);
        break;
    }
    }
    return pm;
}

namespace {

constexpr ToolPicture allPictures[] = {ToolPicture::Exit, ToolPicture::Edit,   ToolPicture::Delete,
                                       ToolPicture::Add,  ToolPicture::Fix,    ToolPicture::Insert,
                                       ToolPicture::Swap, ToolPicture::Print};

// Draws a picture afresh at every size asked for, so that it is sharp at any
// device pixel ratio instead of a 32-pixel image blown up.
class DrawnIconEngine : public QIconEngine {
public:
    DrawnIconEngine(ToolPicture picture, const QPalette& palette) : picture_(picture), palette_(palette) {}

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override
    {
        QPixmap drawn = drawnToolPicture(picture_, qMax(1, qMin(size.width(), size.height())), palette_);
        if (mode == QIcon::Normal || mode == QIcon::Active || !qApp)
            return drawn;
        QStyleOption option;
        option.palette = palette_;
        return QApplication::style()->generatedIconPixmap(mode, drawn, &option);
    }

    // Qt asks with the size in device pixels.
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        QPixmap drawn = pixmap(size, mode, state);
        drawn.setDevicePixelRatio(scale);
        return drawn;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size() * scale, mode, state, scale));
    }

    QIconEngine* clone() const override { return new DrawnIconEngine(picture_, palette_); }
    QString key() const override { return QStringLiteral("QuindleDrawnIcon"); }

private:
    ToolPicture picture_;
    QPalette palette_;
};

} // namespace

bool themeHasEveryToolPicture()
{
    for (ToolPicture picture : allPictures) {
        if (!QIcon::hasThemeIcon(QString::fromLatin1(themeName(picture))))
            return false;
    }
    return true;
}

QIcon drawnToolbarIcon(ToolPicture picture, const QPalette& palette)
{
    return QIcon(new DrawnIconEngine(picture, palette));
}

QIcon toolbarIcon(ToolPicture picture, const QPalette& palette)
{
    // One set for the whole toolbar: the theme's only when it has every picture.
    static const bool useTheme = themeHasEveryToolPicture();
    if (useTheme)
        return QIcon::fromTheme(QString::fromLatin1(themeName(picture)));
    return drawnToolbarIcon(picture, palette);
}

QPixmap pagePicture(ToolPicture picture, int size, const QPalette& palette)
{
    return drawnToolPicture(picture, size, palette);
}
