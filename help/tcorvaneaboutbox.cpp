#include "help/tcorvaneaboutbox.h"

#include "common/apptitle.h"
#include "common/dialogs.h"
#include "common/quindleerror.h"
#include "help/tabout.h"
#include "help/tgetversioninfofromfile.h"

#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

const int fileVersionEntry = 2;
const int internalNameEntry = 3;
const int iconSize = 32;  // the application icon's large size

QRect screenGeometry()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect();
}

} // namespace

TCorvaneAboutBox::TCorvaneAboutBox(QObject* parent)
    : QObject(parent), copyright_(makersCopyright()),
      top_(screenGeometry().height() / 2), left_(screenGeometry().width() / 2)
{
}

QString TCorvaneAboutBox::makersCopyright()
{
    return QStringLiteral("(C) Ardlow Ltd");
}

QString TCorvaneAboutBox::defaultAuthor()
{
    return tr("Written by Corvane");
}

QString TCorvaneAboutBox::runningExecutableEntry(int index) const
{
    // Always the running program, whatever Filename says.
    TGetVersionInfoFromFile reader;
    reader.setFileName(QCoreApplication::applicationFilePath());
    return reader.VersionStrings().value(index, version_);
}

QString TCorvaneAboutBox::GetFileVersion() const
{
    return runningExecutableEntry(fileVersionEntry);
}

QString TCorvaneAboutBox::GetInternalName() const
{
    return runningExecutableEntry(internalNameEntry);
}

QPixmap TCorvaneAboutBox::picture(const TAbout& dialog) const
{
    if (defaultIcon_)
        return dialog.Logo->pixmap();
    if (iconFile_.isEmpty()) {
        const QIcon icon = QApplication::windowIcon();
        return icon.pixmap(icon.actualSize(QSize(iconSize, iconSize)));
    }
    QPixmap loaded;
    if (!loaded.load(iconFile_))
        throw QuindleError(tr("Cannot load the picture %1").arg(iconFile_));
    return loaded;
}

void TCorvaneAboutBox::layOut(TAbout& dialog, const QPixmap& picture)
{
    const QSize size = picture.isNull() ? QSize(0, 0) : picture.deviceIndependentSize().toSize();
    if (size.width() >= width_)
        width_ = size.width() + 8;
    width_ = qMax(width_, 120);
    if (height_ < size.height() + 150)
        height_ = size.height() + 150;
    dialog.OkButton->move(dialog.OkButton->x(), size.height() + 90);
    dialog.setFixedSize(width_, height_);

    for (QLabel* line : {dialog.WTitle, dialog.WAuthor, dialog.WCopyright, dialog.WVersion}) {
        line->adjustSize();
        line->move(textCentered_ ? width_ / 2 - line->width() / 2 : textLeft_, line->y());
    }

    dialog.Logo->setPixmap(picture);
    dialog.Logo->setGeometry(width_ / 2 - size.width() / 2, dialog.Logo->y(), size.width(), size.height());
    dialog.OkButton->resize(width_ - 60, dialog.OkButton->height());
    dialog.OkButton->move(width_ / 2 - dialog.OkButton->width() / 2, dialog.OkButton->y());

    const QRect screen = screenGeometry();
    if (!screen.isEmpty())
        dialog.move(screen.center() - dialog.rect().center());
}

bool TCorvaneAboutBox::Execute(Dialogs* dialogs)
{
    TAbout dialog;
    dialog.setObjectName(QStringLiteral("TAbout"));
    if (title_.isEmpty())
        title_ = applicationTitle();
    dialog.setWindowTitle(caption_);
    dialog.GetVersion->setFileName(filename_);
    if (author_.isEmpty())
        author_ = defaultAuthor();

    const QStringList& strings = dialog.GetVersion->VersionStrings();
    dialog.WVersion->setText(strings.size() > fileVersionEntry
                                 ? tr("Version %1").arg(strings.at(fileVersionEntry))
                                 : version_);
    dialog.WTitle->setText(title_);
    dialog.WCopyright->setText(copyright_);
    dialog.WAuthor->setText(author_);

    layOut(dialog, picture(dialog));
    const int result = dialogs ? dialogs->execDialog(dialog) : dialog.exec();
    return result == QDialog::Accepted;
}
