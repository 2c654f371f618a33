#pragma once

#include "storage/Connection.h"

#include <QWidget>

class FittedLabel;
class QLabel;
class QPushButton;

// The details of one task: its action, condition, time and operand.
class ShowingWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit ShowingWidget(QWidget *parent);

    void loadPlan(const Connection::Record &record);

    QString actionText() const;
    QString conditionText() const;
    QString timeText() const;
    QString operandText() const;
    // The value labels, as they fit their texts into the window.
    FittedLabel *conditionLabel() const;
    FittedLabel *operandLabel() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    FittedLabel *addRow(class QVBoxLayout *content, const QString &caption, const QString &captionStyle,
                        const QString &valueStyle, int lines);

    FittedLabel *action = nullptr;
    FittedLabel *condition = nullptr;
    FittedLabel *time = nullptr;
    FittedLabel *operand = nullptr;
    QPushButton *confirm = nullptr;
};
