#pragma once

#include "storage/Connection.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The details of one task: its action, condition, time and operand.
class ShowingWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowingWidget(QWidget *parent);

    void loadPlan(const Connection::Record &record);

    QString actionText() const;
    QString conditionText() const;
    QString timeText() const;
    QString operandText() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QLabel *addRow(class QVBoxLayout *content, const QString &caption, const QString &captionStyle,
                   const QString &valueStyle);

    QLabel *action = nullptr;
    QLabel *condition = nullptr;
    QLabel *time = nullptr;
    QLabel *operand = nullptr;
    QPushButton *confirm = nullptr;
};
