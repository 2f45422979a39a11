#pragma once
// The about box: builds the about dialog (TAbout) from its properties, lays it
// out around its picture and shows it modally; and reads the running
// executable's file version and internal name for the window caption.
#include <QObject>
#include <QPixmap>
#include <QString>

class Dialogs;
class TAbout;

class TCorvaneAboutBox : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE setTitle)
    Q_PROPERTY(QString Version READ Version WRITE setVersion)
    Q_PROPERTY(QString Copyright READ Copyright WRITE setCopyright)
    Q_PROPERTY(QString Author READ Author WRITE setAuthor)
    Q_PROPERTY(int TextLeft READ TextLeft WRITE setTextLeft)
    Q_PROPERTY(bool TextCentered READ TextCentered WRITE setTextCentered)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int Height READ Height WRITE setHeight)
    Q_PROPERTY(int Width READ Width WRITE setWidth)
    Q_PROPERTY(int Top READ Top WRITE setTop)
    Q_PROPERTY(int Left READ Left WRITE setLeft)
    Q_PROPERTY(QString Filename READ Filename WRITE setFilename)
    Q_PROPERTY(QString IconFile READ IconFile WRITE setIconFile)
    Q_PROPERTY(bool DefaultIcon READ DefaultIcon WRITE setDefaultIcon)
public:
    explicit TCorvaneAboutBox(QObject* parent = nullptr);

    static QString makersCopyright();
    static QString defaultAuthor();

    QString Title() const { return title_; }
    void setTitle(const QString& v) { title_ = v; }
    // Shown when the version cannot be read.
    QString Version() const { return version_; }
    void setVersion(const QString& v) { version_ = v; }
    QString Copyright() const { return copyright_; }
    void setCopyright(const QString& v) { copyright_ = v; }
    QString Author() const { return author_; }
    void setAuthor(const QString& v) { author_ = v; }
    int TextLeft() const { return textLeft_; }
    void setTextLeft(int v) { textLeft_ = v; }
    bool TextCentered() const { return textCentered_; }
    void setTextCentered(bool v) { textCentered_ = v; }
    QString Caption() const { return caption_; }
    void setCaption(const QString& v) { caption_ = v; }
    int Height() const { return height_; }
    void setHeight(int v) { height_ = v; }
    int Width() const { return width_; }
    void setWidth(int v) { width_ = v; }
    // Kept, but the dialog is always centred on the screen.
    int Top() const { return top_; }
    void setTop(int v) { top_ = v; }
    int Left() const { return left_; }
    void setLeft(int v) { left_ = v; }
    // The executable whose version the dialog shows.
    QString Filename() const { return filename_; }
    void setFilename(const QString& v) { filename_ = v; }
    // A picture file shown instead of the application's icon.
    QString IconFile() const { return iconFile_; }
    void setIconFile(const QString& v) { iconFile_ = v; }
    // Keeps the dialog's own picture.
    bool DefaultIcon() const { return defaultIcon_; }
    void setDefaultIcon(bool v) { defaultIcon_ = v; }

    // The running executable's FileVersion, or Version when it has none.
    QString GetFileVersion() const;
    // The running executable's InternalName, or Version when it has none.
    QString GetInternalName() const;
    // Shows the dialog modally through dialogs (the dialog's own event loop
    // when null); true when it was closed with OK. Throws QuindleError when
    // IconFile cannot be loaded. Width and Height keep any growth.
    bool Execute(Dialogs* dialogs = nullptr);

private:
    QString runningExecutableEntry(int index) const;
    QPixmap picture(const TAbout& dialog) const;
    void layOut(TAbout& dialog, const QPixmap& picture);

    QString title_;
    QString version_;
    QString copyright_;
    QString author_;
    int textLeft_ = 20;
    bool textCentered_ = true;
    QString caption_;
    int height_ = 250;
    int width_ = 230;
    int top_ = 0;
    int left_ = 0;
    QString filename_;
    QString iconFile_;
    bool defaultIcon_ = false;
};
