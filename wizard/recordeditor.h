#pragma once
// The record commands: Add, Insert, Edit and Remove open wizard page 4 on a
// project; page 4 shows a project, applies a description to the list in
// memory, removes a project from it, and Finish writes the list out.
#include <QObject>
#include <optional>
#include <string>

#include "common/displaytext.h"

class ProjectListDocument;
class WizardController;
class WizardHost;
class WizardPages;
namespace Ui {
class WizardPages;
}

class RecordEditor : public QObject {
    Q_OBJECT
public:
    RecordEditor(WizardPages& pages, ProjectListDocument& document, WizardHost& host, WizardController& wizard,
                 QObject* parent = nullptr);

    // Opening page 4 from the main window.
    void addProject();
    void insertProject();
    void editProject();
    void removeProject();

    // Page 4.
    void showProject();
    void apply();
    void removeShown();
    void finish();

private:
    Ui::WizardPages& ui() const;
    // The selected project's number, or nothing after telling the user that
    // no project is selected.
    bool selectedNumber(int& number);
    void showCount();
    // Merges the list file as others left it into memory and refills the
    // view, so that a proposed number is free in the freshest list.
    void takeInChangesOnDisk();

    WizardPages& pages_;
    ProjectListDocument& document_;
    WizardHost& host_;
    WizardController& wizard_;
    // The coding of the line page 4 shows, so that an applied description
    // keeps every byte the user did not change.
    LineCoding shownCoding_;
    // The number "Add project" proposed, until its project is first applied.
    std::optional<std::string> proposedNumber_;
};
