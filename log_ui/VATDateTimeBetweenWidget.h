#pragma once

#include <QDate>
#include <QWidget>

class QDateEdit;
class QHBoxLayout;
class QPushButton;

// A frameless window in which the user picks a start and an end date.
class VATDateTimeBetweenWidget final : public QWidget
{
    Q_OBJECT
public:
    // The parent is not used: the picker is always a window of its own.
    explicit VATDateTimeBetweenWidget(QWidget *parent);

    QPushButton *confirmButton() const;
    QPushButton *cancelButton() const;

signals:
    void confirmDate(QDate startDate, QDate endDate);

private:
    QHBoxLayout *dateRow(const QString &caption, QDateEdit **edit);

    QDateEdit *start = nullptr;
    QDateEdit *end = nullptr;
    QPushButton *confirm = nullptr;
    QPushButton *cancel = nullptr;
};
