#pragma once
// The record commands: Add, Insert, Edit and Remove open wizard page 4 on a
// project; page 4 shows a project, applies a description to the list in
// memory, removes a project from it, and Finish writes the list out.
#include <QObject>

#include "displaytext.h"

class TVantorel;
class WizardController;
namespace Ui {
class TVantorel;
}

class RecordEditor : public QObject {
    Q_OBJECT
public:
    RecordEditor(TVantorel& window, WizardController& wizard);

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
    Ui::TVantorel& ui() const;
    // The selected project's number, or nothing after telling the user that
    // no project is selected.
    bool selectedNumber(int& number);
    void showCount();

    TVantorel& window_;
    WizardController& wizard_;
    // The coding of the line page 4 shows, so that an applied description
    // keeps every byte the user did not change.
    LineCoding shownCoding_;
};
