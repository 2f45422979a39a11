#pragma once
// The options pages (general options and print options): a panel of their
// own over the main window's list, built from their own form.
#include <QTabWidget>
#include <memory>

namespace Ui {
class OptionsPages;
}

class OptionsPages : public QTabWidget {
    Q_OBJECT
public:
    explicit OptionsPages(QWidget* parent = nullptr);
    ~OptionsPages() override;

    Ui::OptionsPages& form() const { return *ui_; }

signals:
    // The panel was shown, so any other panel over the list goes away.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    std::unique_ptr<Ui::OptionsPages> ui_;
};
