#pragma once

#include "log_ui/LogPeriods.h"
#include "platform/PowerEventSource.h"
#include "storage/Connection.h"

#include <QDate>
#include <QDateTime>
#include <QWidget>

#include <functional>
#include <memory>

class Command;
class QTableWidget;
class QVBoxLayout;

// The log tab: when the computer was switched on and off, by period, with each run's length.
class LogManageWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit LogManageWidget(QWidget *parent, std::shared_ptr<PowerEventSource> source = nullptr);

    // Tests fix "now" for the period buttons.
    void setClock(std::function<QDateTime()> clock);

    void reloadRows(const LogPeriods::Filter &filter);
    // A stored power event time as the table shows it: "2026-12-07 03:30:00".
    static QString shownTime(const QString &operationTime);

public slots:
    void showDateTimeSelectedView(bool flag);
    void confirmDateSlot(QDate startDate, QDate endDate);

private:
    void buildLayout();
    QWidget *buildFilterBar();
    void buildTable();
    void fillTable();
    void choosePeriod(const LogPeriods::Filter &filter);
    void powerEventsCollected();

    QVBoxLayout *mainLayout = nullptr;
    QTableWidget *logTable = nullptr;
    Command *command = nullptr;
    Connection::RecordList rows;
    Connection *connection = nullptr;
    LogPeriods::Filter filterMap;
    std::function<QDateTime()> clock;
};
