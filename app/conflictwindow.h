#pragma once
// The window of true conflicts: every project that both this window and
// someone else changed differently, their text and mine side by side, and
// for each whether to keep theirs, keep mine, or keep both (mine under the
// next free number). A choice at the top sets every row at once.
#include <QDialog>
#include <QList>

#include "common/dialogs.h"

class QComboBox;
class QTableWidget;

class ConflictWindow : public QDialog {
    Q_OBJECT
public:
    ConflictWindow(const QString& text, const QList<ConflictRow>& rows, QWidget* parent = nullptr);

    QList<ConflictAnswer> answers() const;
    QTableWidget* table() const { return table_; }
    QComboBox* defaultChoice() const { return forAll_; }

private:
    QComboBox* choiceBox(QWidget* parent) const;
    void setAll(int choice);

    QTableWidget* table_ = nullptr;
    QComboBox* forAll_ = nullptr;
    QList<QComboBox*> choices_;
};
