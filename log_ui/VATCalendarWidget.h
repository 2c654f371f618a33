#pragma once

#include <QCalendarWidget>

class QHBoxLayout;
class QLabel;
class QPushButton;

// A month calendar with its own navigation strip, a "今天"/"确定" strip and hand-painted days.
class VATCalendarWidget : public QCalendarWidget
{
    Q_OBJECT
public:
    enum CellLook { SelectedCell, TodayCell, InRangeCell, OtherMonthCell, OutOfRangeCell };

    explicit VATCalendarWidget(QWidget *parent);

    QPushButton *button(const QString &objectName) const;

    // How a day is painted: the first matching case wins.
    static CellLook cellLook(const QDate &date, const QDate &selected, const QDate &today, const QDate &minimum,
                             const QDate &maximum, int displayedMonth);

signals:
    void signalSetCalendarTime(QDate data);

public slots:
    void onbtnClicked();

protected:
    void paintCell(QPainter *painter, const QRect &rect, const QDate &date) const override;

private:
    QHBoxLayout *makeStrip(const QString &objectName, int fontPixels, int spacing);
    void buildNavigationStrip();
    void buildBottomStrip();
    QPushButton *makeButton(const QString &objectName, const QString &text, const QSize &size, const QString &style);
    void showPage(int year, int month);

    QPushButton *previousYear = nullptr;
    QPushButton *previousMonth = nullptr;
    QPushButton *nextYear = nullptr;
    QPushButton *nextMonth = nullptr;
    QPushButton *ensure = nullptr;
    QPushButton *today = nullptr;
    QLabel *dataLabel = nullptr;
    int month = 1;
};
