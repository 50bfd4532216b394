#include "namedchooser.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

class NamedChooserAccessible final : public QAccessibleWidget
{
public:
    explicit NamedChooserAccessible(QComboBox *selector)
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

QAccessibleInterface *namedChooserAccessible(const QString &className, QObject *object)
{
    if (className == QLatin1String("NamedChooser"))
        return new NamedChooserAccessible(static_cast<NamedChooser *>(object));
    return nullptr;
}

} // namespace

NamedChooser::NamedChooser(QWidget *parent)
    : QComboBox(parent)
{
    // Installing the same factory again is a no-op.
    QAccessible::installFactory(namedChooserAccessible);
}
