#pragma once

#include <QString>

class QWidget;

// Shows a failure to the user. Passed into the dialog so tests can read the
// message instead of facing a modal box.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual void showError(QWidget *parent, const QString &message) = 0;
};

class MessageBoxPresenter final : public MessagePresenter
{
public:
    void showError(QWidget *parent, const QString &message) override;
};
