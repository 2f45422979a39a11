#include "app/accessiblenames.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QWidget>

namespace {

const char* const purposeProperty = "accessiblePurpose";

// What the controls without a caption or hint of their own are for.
const QHash<QString, QString>& namesByObject()
{
    static const QHash<QString, QString> names = {
        {QStringLiteral("MainMenu1"), QStringLiteral("Menu")},
        {QStringLiteral("ToolBar1"), QStringLiteral("Toolbar")},
        {QStringLiteral("StatusBar"), QStringLiteral("Status bar")},
        {QStringLiteral("Projects"), QStringLiteral("Project list")},
        {QStringLiteral("OptionsTabs"), QStringLiteral("Options")},
        {QStringLiteral("GenTab"), QStringLiteral("GenTab")},
        {QStringLiteral("PrinterTab"), QStringLiteral("Printer")},
        {QStringLiteral("Spacing"), QStringLiteral("Increase to reduce vertical Spacing")},
        {QStringLiteral("Vspace"), QStringLiteral("Vertical spacing")},
        {QStringLiteral("PrinterPicture"), QStringLiteral("Printer picture")},
        {QStringLiteral("Wizard"), QStringLiteral("Project Wizard")},
        {QStringLiteral("Page1"), QStringLiteral("Project Wizard Page 1")},
        {QStringLiteral("Page2"), QStringLiteral("Project Wizard Page 2")},
        {QStringLiteral("page3"), QStringLiteral("Project Wizard Page 3")},
        {QStringLiteral("Page4"), QStringLiteral("Project Wizard Page 4")},
        {QStringLiteral("Picture1"), QStringLiteral("Wizard picture")},
        {QStringLiteral("Picture2"), QStringLiteral("Wizard picture")},
        {QStringLiteral("Picture3"), QStringLiteral("Wizard picture")},
        {QStringLiteral("Picture4"), QStringLiteral("Wizard picture")},
        {QStringLiteral("ProjectDirectory"), QStringLiteral("Project directory")},
        {QStringLiteral("Projectfilename"), QStringLiteral("Project list file name")},
        {QStringLiteral("Project"), QStringLiteral("Project number")},
        {QStringLiteral("PrjSelect"), QStringLiteral("Project number")},
        {QStringLiteral("CurrentProject"), QStringLiteral("Current project")},
        {QStringLiteral("PrjDiscription"), QStringLiteral("Project Discription")},
        {QStringLiteral("Panel1"), QStringLiteral("Corvane links")},
    };
    return names;
}

// A status panel: its purpose, then its text when it has one.
class StatusPanelAccessible : public QAccessibleWidget {
public:
    explicit StatusPanelAccessible(QLabel* panel) : QAccessibleWidget(panel, QAccessible::StaticText) {}

    QString text(QAccessible::Text t) const override
    {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        auto* panel = static_cast<QLabel*>(widget());
        const QString purpose = panel->property(purposeProperty).toString();
        return panel->text().isEmpty() ? purpose : purpose + QStringLiteral(": ") + panel->text();
    }
};

QAccessibleInterface* statusPanelFactory(const QString&, QObject* object)
{
    auto* label = qobject_cast<QLabel*>(object);
    if (label && label->property(purposeProperty).isValid())
        return new StatusPanelAccessible(label);
    return nullptr;
}

} // namespace

void nameControlsForAssistiveTools(QWidget* window)
{
    const QHash<QString, QString>& names = namesByObject();
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->accessibleName().isEmpty())
            continue;
        const auto named = names.constFind(widget->objectName());
        if (named != names.constEnd())
            widget->setAccessibleName(*named);
        else if (auto* note = qobject_cast<QPlainTextEdit*>(widget); note && note->isReadOnly())
            widget->setAccessibleName(note->toPlainText().simplified());
        else if (const QString link = widget->property("URLorEMAIL").toString(); !link.isEmpty())
            widget->setAccessibleName(link);  // a link label reads as the address it shows
    }
    // A toolbar button is named by its hint, the text its tool tip shows.
    for (QToolBar* toolbar : window->findChildren<QToolBar*>()) {
        for (QAction* action : toolbar->actions()) {
            if (QWidget* button = toolbar->widgetForAction(action); button && !action->toolTip().isEmpty()) {
                // Without the key a tip may tell: screen readers say keys apart.
                QString hint = action->toolTip();
                if (!action->shortcut().isEmpty())
                    hint.remove(QStringLiteral(" (") + action->shortcut().toString(QKeySequence::NativeText) +
                                QLatin1Char(')'));
                button->setAccessibleName(hint);
            }
        }
        // The button that offers the buttons a narrow window has no room for.
        if (auto* more = toolbar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button")))
            more->setAccessibleName(QStringLiteral("More buttons"));
    }
}

void setStatusPanelPurpose(QLabel* panel, const QString& purpose)
{
    static const bool installed = [] {
        QAccessible::installFactory(statusPanelFactory);
        return true;
    }();
    Q_UNUSED(installed);
    panel->setProperty(purposeProperty, purpose);
}
