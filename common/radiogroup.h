#pragma once
// A group box holding a column of radio buttons built from a list of item
// texts, with the index of the chosen item (-1 for none), like the classic
// "radio group" control the wizard pages and the print options use.
#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QVBoxLayout;

class RadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ items WRITE setItems)
    Q_PROPERTY(int itemIndex READ itemIndex WRITE setItemIndex NOTIFY itemIndexChanged)
public:
    explicit RadioGroup(QWidget* parent = nullptr);

    QStringList items() const { return items_; }
    void setItems(const QStringList& items);  // rebuilds the buttons, nothing chosen
    int itemIndex() const;
    void setItemIndex(int index);  // -1 clears the choice
    class QRadioButton* button(int index) const;

signals:
    void itemIndexChanged(int index);
    // Emitted when the user clicks a choice (not when code sets the index).
    void clicked();

private:
    QStringList items_;
    QButtonGroup* group_;
    QVBoxLayout* layout_;
};
