#pragma once

#include "schedule/LastWarningRules.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The small window that announces a disruptive action shortly before it runs. It shows what
// it is told and hands back the user's answer; the scheduler decides what the answer does.
class LastWarningWindow final : public QWidget
{
    Q_OBJECT
public:
    explicit LastWarningWindow(QWidget *parent = nullptr);

    void setCountdownText(const QString &text);
    void setDescription(const QString &text);
    QString countdownText() const;
    QString description() const;

    QPushButton *runNowButton() const;
    QPushButton *postponeButton() const;
    QPushButton *skipButton() const;

signals:
    void answered(LastWarningRules::Answer answer);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QWidget *buildMessage();
    QWidget *buildButtons();
    QPushButton *addButton(QWidget *row, const QString &text, const QString &style, LastWarningRules::Answer answer);

    QLabel *countdown = nullptr;
    QLabel *descriptionLabel = nullptr;
    QPushButton *runNow = nullptr;
    QPushButton *postpone = nullptr;
    QPushButton *skip = nullptr;
};
