#pragma once
// The four wizard pages: a panel of their own over the main window's list,
// built from their own form. The controllers reach the pages' controls
// through form().
#include <QStackedWidget>
#include <memory>

namespace Ui {
class WizardPages;
}

class WizardPages : public QStackedWidget {
    Q_OBJECT
public:
    // The largest project number page 4 takes: as many digits as its number
    // box holds.
    static constexpr int largestProjectNumber = 999999999;

    explicit WizardPages(QWidget* parent = nullptr);
    ~WizardPages() override;

    Ui::WizardPages& form() const { return *ui_; }

    // Puts the current page's controls in the tab order of the page (choices
    // made since included) and the keyboard on the first of them.
    void focusCurrentPage();

signals:
    // The panel was shown, so any other panel over the list goes away.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    // Enter anywhere on a page presses its default button: Next on pages 1
    // to 3 while enabled, "Apply Changes" on page 4 while shown.
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Text boxes and notes sized for the font in use, so nothing is cut off
    // at larger fonts.
    void fitToFont();

    std::unique_ptr<Ui::WizardPages> ui_;
};
