#pragma once

#include "storage/Connection.h"

#include <QHeaderView>
#include <QPointer>

class EditWidget;
class FittedLabel;
class QLabel;
class QPushButton;
class ShowingWidget;
class SliderWidget;
class TAVMenu;

// One row of the task list: the action's icon, the task's description, its on/off switch and
// a menu to edit, remove or show it. It only reports what the user did.
class TableCellView final : public QHeaderView
{
    Q_OBJECT
public:
    explicit TableCellView(QWidget *parent);

    void loadPlan(const Connection::Record &record);
    void setRowNumber(int row);
    int rowNumber() const;
    int taskId() const;

    SliderWidget *slider() const;
    QLabel *nameLabel() const;
    QLabel *iconLabel() const;
    // The row menu, made the first time it is wanted: a list of hundreds of rows opens fast.
    TAVMenu *rowMenu();
    EditWidget *openEditor() const;
    ShowingWidget *openDetails() const;

    // The icon of an action: its own for 0 to 10, the last one for anything else.
    static QString iconPathFor(int orderId);

signals:
    void operaSliderSignal(int index, bool flag);
    void editPlanFinish(int index);
    void deletePlanFinish(QMap<QString, QString> dataMap);

public slots:
    void editShutdown(bool flag);
    void deleteShutdown(bool flag);
    void showingShutdown(bool flag);
    void checkedChanged(bool flag);
    void closeWin();

private:
    TAVMenu *buildMenu(QPushButton *anchor);
    void popUpMenu();

    SliderWidget *switchWidget = nullptr;
    QLabel *icon = nullptr;
    FittedLabel *name = nullptr;
    int id = 0;
    int row = 0;
    Connection::Record record;
    TAVMenu *menu = nullptr;
    QPushButton *menuButton = nullptr;
    QPointer<EditWidget> editor;
    QPointer<ShowingWidget> details;
};
