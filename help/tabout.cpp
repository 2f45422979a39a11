#include "help/tabout.h"

#include "help/tgetversioninfofromfile.h"
#include "ui_tabout.h"

#include <QLinearGradient>
#include <QPainter>

TAbout::TAbout(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::TAbout>())
{
    ui_->setupUi(this);
    WTitle = ui_->WTitle;
    WCopyright = ui_->WCopyright;
    WAuthor = ui_->WAuthor;
    WVersion = ui_->WVersion;
    Logo = ui_->Logo;
    OkButton = ui_->OkButton;
    // A fixed border with only the system menu, kept above other windows.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    GetVersion = new TGetVersionInfoFromFile(this);
    GetVersion->setObjectName(QStringLiteral("GetVersion"));
    Logo->setAttribute(Qt::WA_TranslucentBackground);
    Logo->setPixmap(builtInLogo());
}

TAbout::~TAbout() = default;

QPixmap TAbout::builtInLogo()
{
    QPixmap logo(147, 120);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 120);
    sky.setColorAt(0, QColor(40, 80, 160));
    sky.setColorAt(1, QColor(140, 180, 230));
    p.setPen(QPen(QColor(20, 40, 90), 2));
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(2, 2, 143, 116), 12, 12);
    // A numbered list on a sheet: what the program keeps.
    p.setPen(QPen(QColor(70, 70, 70), 1));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(QRectF(38, 16, 70, 88));
    QFont font(QStringLiteral("Sans Serif"));
    font.setPixelSize(9);
    p.setFont(font);
    for (int row = 0; row < 6; ++row) {
        const qreal y = 30 + row * 12;
        p.setPen(QColor(30, 30, 120));
        p.drawText(QPointF(43, y), QStringLiteral("%1").arg(row + 1, 3, 10, QLatin1Char('0')));
        p.setPen(QPen(QColor(150, 160, 180), 1));
        p.drawLine(QPointF(64, y - 3), QPointF(102, y - 3));
    }
    return logo;
}
