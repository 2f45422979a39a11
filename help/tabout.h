#pragma once
// The about dialog: title, copyright, author and version lines, a picture and
// an OK button. The about box fills it in and lays it out before showing it.
#include <QDialog>
#include <memory>

namespace Ui {
class TAbout;
}
class QLabel;
class QPushButton;
class TGetVersionInfoFromFile;

class TAbout : public QDialog {
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);
    ~TAbout() override;

    // The controls of the design.
    QLabel* WTitle = nullptr;
    QLabel* WCopyright = nullptr;
    QLabel* WAuthor = nullptr;
    QLabel* WVersion = nullptr;
    QLabel* Logo = nullptr;
    QPushButton* OkButton = nullptr;
    // Reads the version strings of the file the about box names.
    TGetVersionInfoFromFile* GetVersion = nullptr;

    // The picture the dialog shows unless told otherwise, 147 x 120.
    static QPixmap builtInLogo();

private:
    std::unique_ptr<Ui::TAbout> ui_;
};
