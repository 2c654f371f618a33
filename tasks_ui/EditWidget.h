#pragma once

#include "schedule/FirstRunCalculator.h"
#include "schedule/TaskComposer.h"
#include "storage/Connection.h"

#include <QDate>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>

class QButtonGroup;
class QCheckBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class TAVComboBox;
class TAVDateTimeEdit;
class TAVInputWidget;
class TAVRadioButton;
class VATDateEdit;

// The window in which a task is created or changed: an action, one of eleven conditions, and
// the first run it gives. What the choices mean is the scheduling core's; this only gathers them.
class EditWidget final : public QWidget
{
    Q_OBJECT
public:
    enum CommissionType {
        OnceCommission = TaskComposer::OnceCommission,
        DayCommission = TaskComposer::DayCommission,
        WeekCommission = TaskComposer::WeekCommission,
        MonthCommission = TaskComposer::MonthCommission,
        YearCommission = TaskComposer::YearCommission,
        FromNowCommission = TaskComposer::FromNowCommission,
        FromOnCommission = TaskComposer::FromOnCommission,
        FromUntilCommission = TaskComposer::FromUntilCommission,
        FromUploadCommission = TaskComposer::FromUploadCommission,
        FromDownloadCommission = TaskComposer::FromDownloadCommission,
        FreeCommission = TaskComposer::FreeCommission
    };
    Q_ENUM(CommissionType)
    enum ExceptDay {
        ExceptWithout = FirstRunCalculator::ExceptWithout,
        ExceptSat = FirstRunCalculator::ExceptSat,
        ExceptSun = FirstRunCalculator::ExceptSun,
        ExceptAll = FirstRunCalculator::ExceptAll
    };
    Q_ENUM(ExceptDay)

    // Asks the user for the operand of an action (a program or file path); empty when cancelled.
    using FileChooser = std::function<QString(QWidget *parent, int orderId)>;

    explicit EditWidget(QWidget *parent = nullptr);
    ~EditWidget() override;

    void loadPlan(const Connection::Record &record);

    // Tests fix the clock and answer the file dialog themselves.
    void setClock(std::function<QDateTime()> clock);
    void setFileChooser(FileChooser chooser);

    // What the tests of the task tab reach; the other inputs carry object names (nameInputs).
    TAVRadioButton *kindButton(int kind) const;
    QPushButton *confirmButton() const;

signals:
    void closeWin();

public slots:
    void confirmAction(bool flag);
    void cancelAction(bool flag);
    void planType(int index);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct KindRow
    {
        TAVRadioButton *radio = nullptr;
        QList<QWidget *> inputs;
        TAVDateTimeEdit *time = nullptr;
        QLineEdit *hours = nullptr;
        QLineEdit *minutes = nullptr;
        QLineEdit *rate = nullptr;
    };

    void buildLayout();
    void buildActionRow();
    void buildCalendarRows();
    void buildConditionRows();
    void buildFooter();
    void connectInputs();
    void nameInputs();
    KindRow &addRow(int kind, int gridRow, const QString &text);
    TAVDateTimeEdit *makeTimeEdit(const QString &format, const QTime &start);
    QLineEdit *makeNumberEdit(const QString &text, qint64 top);
    void actionChosen(int index);
    void chooseOperand();
    void fitYearDays();
    void enableRows();
    QDateTime now() const;
    int timeOfDay(int kind) const;
    QDate calendarDate(int kind);
    void computeCalendarDate(int kind);
    void loadCalendarTask(const Connection::Record &task, const QDateTime &stored);
    void loadConditionTask(const Connection::Record &task);

    Connection *connection = nullptr;
    Connection::Record editedTask;
    int kind = -1;
    int orderId = 0;
    QString orderName;
    QString operandText;
    int operationType = Connection::None;
    bool onlyOnce = false;
    bool saved = false;
    bool loading = false;
    bool closeSignalled = false;
    Connection::Record columns;
    QMap<int, QDate> calendarDates;
    FirstRunCalculator::ExceptDay exceptions = FirstRunCalculator::ExceptWithout;
    Connection::RecordList catalogue;
    std::function<QDateTime()> clock;
    FileChooser fileChooser;

    QGridLayout *grid = nullptr;
    TAVComboBox *actions = nullptr;
    QButtonGroup *kinds = nullptr;
    QMap<int, KindRow> rows;
    VATDateEdit *onceDate = nullptr;
    QCheckBox *saturday = nullptr;
    QCheckBox *sunday = nullptr;
    TAVComboBox *weekdays = nullptr;
    TAVComboBox *monthDays = nullptr;
    TAVComboBox *yearMonths = nullptr;
    TAVComboBox *yearDays = nullptr;
    QCheckBox *onlyOnceCheck = nullptr;
    QLabel *executionLine = nullptr;
    QPushButton *confirm = nullptr;
    QPushButton *cancel = nullptr;
    QPointer<TAVInputWidget> addressInput;
};
