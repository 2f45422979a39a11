#pragma once
// The modeless find dialog: a find text of at most 255 bytes, "Match case",
// "Whole word", a direction, "Find Next" and "Cancel". Its Tag holds the
// search mode the owner set; the dialog itself only reports each press of
// "Find Next". Text and options stay as they are between openings.
#include <QDialog>
#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

class TFindDialog : public QDialog {
    Q_OBJECT
    Q_PROPERTY(int Tag READ tag WRITE setTag)
public:
    // The longest find text, in bytes of the stored form.
    static constexpr int maxFindTextBytes = 255;

    explicit TFindDialog(QWidget* parent = nullptr);

    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    QString findText() const;
    // The find text as the bytes the searches compare.
    std::string findTextBytes() const;
    // Longer texts are cut to the limit, as typing would.
    void setFindText(const QString& text);

    bool matchCase() const;
    bool wholeWord() const;
    // Nothing reads the direction; it is offered as a find dialog does.
    bool searchDown() const;

    QLineEdit* findTextBox() const { return findText_; }
    QCheckBox* matchCaseBox() const { return matchCase_; }
    QCheckBox* wholeWordBox() const { return wholeWord_; }
    QPushButton* findNextButton() const { return findNext_; }
    QPushButton* cancelButton() const { return cancel_; }

    // Back to the front with the find text selected, so that typing replaces
    // it: after a message box the window system may have given the focus to
    // the main window.
    void takeFocusBack();

signals:
    // "Find Next" was pressed.
    void find();

protected:
    bool event(QEvent* event) override;

private:
    // Set while the dialog waits to be activated with its text selected.
    bool selectTextOnActivation_ = false;
    int tag_ = 0;
    QLineEdit* findText_ = nullptr;
    QCheckBox* matchCase_ = nullptr;
    QCheckBox* wholeWord_ = nullptr;
    QRadioButton* up_ = nullptr;
    QRadioButton* down_ = nullptr;
    QPushButton* findNext_ = nullptr;
    QPushButton* cancel_ = nullptr;
};
