#include "app/optionspages.h"

#include "ui_optionspages.h"

#include "common/panel.h"

#include <QEvent>

OptionsPages::OptionsPages(QWidget* parent) : QTabWidget(parent), ui_(std::make_unique<Ui::OptionsPages>())
{
    ui_->setupUi(this);
    makeOpaquePanel(*this);
    ui_->Vspace->setAssociate(ui_->Spacing);
    fitWidthToText(*ui_->Spacing, QStringLiteral("0000"), TextBoxWidth::Fixed);
}

void OptionsPages::changeEvent(QEvent* event)
{
    QTabWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        fitWidthToText(*ui_->Spacing, QStringLiteral("0000"), TextBoxWidth::Fixed);
}

OptionsPages::~OptionsPages() = default;

void OptionsPages::showEvent(QShowEvent* event)
{
    QTabWidget::showEvent(event);
    emit shown();
}
