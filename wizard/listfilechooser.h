#pragma once
// Wizard pages 1 to 3: the project directory (an existing one, a new one, or
// that of the list in use), the list file's name, and what to do with a file
// of that name. Page 3's Next makes the chosen file the list in use.
#include <QObject>
#include <QString>
#include <string>

class ProjectListDocument;
class WizardNavigation;
class WizardHost;
class WizardPages;
namespace Ui {
class WizardPages;
}

class ListFileChooser : public QObject {
    Q_OBJECT
public:
    // The sets of choices page 3 offers, kept in Next3's Tag.
    enum Page3Choices { pcUnknownFile = 1, pcProjectFile = 2, pcNoFile = 3 };

    ListFileChooser(WizardPages& pages, ProjectListDocument& document, WizardHost& host, WizardNavigation& wizard,
                    QObject* parent = nullptr);

    const std::string& projectDir() const { return projectDir_; }
    // ProjectDir, a separator and the name on page 2.
    std::string listPath() const;

    void SetupPage1();
    void Next1Click();
    void BrowseClick();
    void SetupPage3();
    void Next3Click();

private:
    Ui::WizardPages& ui() const;
    // BrowseDlg in the folder and with the name it holds; the chosen path.
    bool browse(std::string& chosen);
    void selectDirectory();
    void createDirectory();
    // Loads path into the list and shows it; false when it could not be.
    bool loadChosenFile(const std::string& path);

    WizardPages& pages_;
    ProjectListDocument& document_;
    WizardHost& host_;
    WizardNavigation& wizard_;
    std::string projectDir_;
    QString browseFolder_;
    QString browseFileName_;
};
