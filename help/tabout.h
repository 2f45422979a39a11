#pragma once
// The about dialog: title, copyright, author and version lines, a picture and
// an OK button. The about box fills it in and lays it out before showing it.
#include <QDialog>

#include "ui_tabout.h"

class TGetVersionInfoFromFile;

class TAbout : public QDialog, public Ui::TAbout {
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);

    // Reads the version strings of the file the about box names.
    TGetVersionInfoFromFile* GetVersion = nullptr;

    // The picture the dialog shows unless told otherwise, 147 x 120.
    static QPixmap builtInLogo();
};
