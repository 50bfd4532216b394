#include "classselector.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class ClassSelectorAccessible final : public QAccessibleWidget
{
public:
    explicit ClassSelectorAccessible(QComboBox *selector)
        : QAccessibleWidget(selector, QAccessible::ComboBox)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        switch (kind) {
        case QAccessible::Name:
            return widget()->accessibleName();
        case QAccessible::Value:
            return selector()->currentText();
        default:
            return QAccessibleWidget::text(kind);
        }
    }

    QStringList actionNames() const override
    {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }

    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            selector()->showPopup();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    QComboBox *selector() const { return static_cast<QComboBox *>(widget()); }
};

QAccessibleInterface *classSelectorAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("ClassSelector"))
        return new ClassSelectorAccessible(static_cast<ClassSelector *>(object));
    return nullptr;
}

} // namespace

ClassSelector::ClassSelector(QWidget *parent)
    : QComboBox(parent)
{
    // Installing the same factory again is a no-op.
    QAccessible::installFactory(classSelectorAccessible);
}
