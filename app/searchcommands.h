#pragma once
// Project search and the jump between list start and end, over the items of
// the list view (not the list in memory): the modeless find dialog searches
// by number or by text, a hit is selected, scrolled to the top and shown in
// the status bar; the jump scrolls the view by the font height plus one
// pixel for each item, its end flag in the jump action's Tag.
#include <QList>
#include <QObject>

class CommandHost;
class ProjectListModel;
class QAction;
class QLabel;
class QTableView;
class TFindDialog;

class SearchCommands : public QObject {
    Q_OBJECT
public:
    // hitPanels: the status bar's panels for the hit's caption, row and
    // description. The find dialog is view's window's.
    SearchCommands(QTableView& view, const ProjectListModel& model, QList<QLabel*> hitPanels, QAction& jump,
                   CommandHost& host, QObject* parent = nullptr);

    // Opens the find dialog, searching as the Tag of the menu item chosen
    // says (0 by number, 1 by text); without one, as it last did.
    void openFind(const QObject* menuItem);
    // Runs the search the find dialog asks for.
    void find();
    // From the end to the start, or from anywhere to the end.
    void jump();
    // To the end, as the jump does, once at start-up.
    void jumpToEnd();
    // Scrolls the list view by pixels (positive towards its end).
    void scrollBy(int pixels);

signals:
    // The find dialog asks to search.
    void findRequested();

private:
    int jumpDistance() const;
    void showHit(int row);

    QTableView& view_;
    const ProjectListModel& model_;
    QList<QLabel*> hitPanels_;
    QAction& jump_;
    CommandHost& host_;
    TFindDialog* findDialog_ = nullptr;
};
