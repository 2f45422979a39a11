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
    explicit WizardPages(QWidget* parent = nullptr);
    ~WizardPages() override;

    Ui::WizardPages& form() const { return *ui_; }

signals:
    // The panel was shown, so any other panel over the list goes away.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Text boxes and notes sized for the font in use, so nothing is cut off
    // at larger fonts.
    void fitToFont();

    std::unique_ptr<Ui::WizardPages> ui_;
};
