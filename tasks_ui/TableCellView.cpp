#include "tasks_ui/TableCellView.h"

#include "storage/RecordKeys.h"
#include "tasks_ui/EditWidget.h"
#include "tasks_ui/ShowingWidget.h"
#include "tasks_ui/SliderWidget.h"
#include "widgets/FittedLabel.h"
#include "widgets/ResourceText.h"
#include "widgets/TAVMenu.h"
#include "widgets/WindowPlacement.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmapCache>
#include <QPushButton>
#include <QWidgetAction>

namespace {

// Rows are made by the hundred: the pictures they share are loaded once.
QPixmap sharedPixmap(const QString &path, const QSize &size = QSize())
{
    const QString key = path + QLatin1Char('@') + QString::number(size.width());
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        pixmap = QPixmap(path);
        if (size.isValid())
            pixmap = pixmap.scaled(size);
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

} // namespace

TableCellView::TableCellView(QWidget *parent)
    : QHeaderView(Qt::Horizontal, parent)
{
    setStyleSheet(QStringLiteral("background-color: white"));
    auto *layout = new QHBoxLayout(this);
    layout->setAlignment(Qt::AlignVCenter);

    icon = new QLabel;
    icon->setPixmap(sharedPixmap(QStringLiteral(":/Tickvale/cat"), QSize(32, 32)));
    // A long description is cut with "…" (the whole of it in its tool tip) so that the
    // switch and the menu button stay in the row.
    name = new FittedLabel;
    name->setStyleSheet(QStringLiteral("QLabel{font-size: 14px ; color: #999999;};"));
    switchWidget = new SliderWidget(nullptr);
    switchWidget->setFixedSize(82, 28);

    menuButton = new QPushButton(nullptr);
    menuButton->setFixedSize(40, 20);
    menuButton->setFlat(true);
    menuButton->setIcon(QIcon(sharedPixmap(QStringLiteral(":/Tickvale/edit_mission"))));
    menuButton->setIconSize(QSize(19, 5));
    menuButton->setStyleSheet(ResourceText::read(QStringLiteral(":/Tickvale/VATEditButton")));
    // The button pops its menu up below itself, as a button with a menu does.
    connect(menuButton, &QPushButton::pressed, this, &TableCellView::popUpMenu);

    layout->addWidget(icon);
    layout->addWidget(name, 1000);
    layout->addStretch(1);
    layout->addWidget(switchWidget);
    layout->addWidget(menuButton);

    connect(switchWidget, &SliderWidget::checkedChanged, this, &TableCellView::checkedChanged);
}

TAVMenu *TableCellView::buildMenu(QPushButton *anchor)
{
    auto *rowMenu = new TAVMenu(this, anchor);
    rowMenu->setRectPosition(TAVMenu::RectInRight);
    rowMenu->setFixedSize(100, 95);
    rowMenu->setStyleSheet(ResourceText::read(QStringLiteral(":/Tickvale/VATMenu")));
    const QList<QPair<QString, void (TableCellView::*)(bool)>> entries = {
        {QStringLiteral("修改任务"), &TableCellView::editShutdown},
        {QStringLiteral("删除任务"), &TableCellView::deleteShutdown},
        {QStringLiteral("任务详情"), &TableCellView::showingShutdown},
    };
    for (const auto &entry : entries) {
        auto *label = new QLabel(entry.first);
        label->setObjectName(QStringLiteral("ActionLabel"));
        label->setFixedHeight(28);
        label->setAlignment(Qt::AlignCenter);
        auto *action = new QWidgetAction(rowMenu);
        action->setDefaultWidget(label);
        action->setText(entry.first);
        connect(action, &QAction::triggered, this, entry.second);
        rowMenu->addAction(action);
    }
    return rowMenu;
}

QString TableCellView::iconPathFor(int orderId)
{
    const int index = orderId >= 0 && orderId <= 10 ? orderId : 11;
    return QStringLiteral(":/Tickvale/mission_%1").arg(index);
}

void TableCellView::loadPlan(const Connection::Record &task)
{
    if (&task != &record)
        record = task;
    id = record.value(Column::Id).toInt();
    name->setText(record.value(Column::Name));
    icon->setPixmap(sharedPixmap(iconPathFor(record.value(Column::OrderT).toInt())));
    QFont nameFont = name->font();
    nameFont.setPointSize(12);
    name->setFont(nameFont);
}

void TableCellView::setRowNumber(int newRow)
{
    row = newRow;
}

int TableCellView::rowNumber() const
{
    return row;
}

int TableCellView::taskId() const
{
    return id;
}

void TableCellView::checkedChanged(bool flag)
{
    emit operaSliderSignal(record.value(Column::Id).toInt(), flag);
}

void TableCellView::editShutdown(bool flag)
{
    Q_UNUSED(flag)
    editor = new EditWidget(nullptr);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->loadPlan(record);
    editor->setFixedSize(600, 800);
    editor->setWindowModality(Qt::ApplicationModal);
    WindowPlacement::centreOn(editor, this);
    connect(editor, &EditWidget::closeWin, this, &TableCellView::closeWin);
    editor->show();
}

void TableCellView::closeWin()
{
    emit editPlanFinish(record.value(Column::Id).toInt());
}

void TableCellView::deleteShutdown(bool flag)
{
    Q_UNUSED(flag)
    emit deletePlanFinish(record);
}

void TableCellView::showingShutdown(bool flag)
{
    Q_UNUSED(flag)
    details = new ShowingWidget(nullptr);
    details->setAttribute(Qt::WA_DeleteOnClose);
    details->loadPlan(record);
    details->setFixedSize(400, 400);
    details->setWindowModality(Qt::ApplicationModal);
    WindowPlacement::centreOn(details, this);
    details->show();
}

SliderWidget *TableCellView::slider() const
{
    return switchWidget;
}

QLabel *TableCellView::nameLabel() const
{
    return name;
}

QLabel *TableCellView::iconLabel() const
{
    return icon;
}

TAVMenu *TableCellView::rowMenu()
{
    if (!menu)
        menu = buildMenu(menuButton);
    return menu;
}

void TableCellView::popUpMenu()
{
    rowMenu()->exec(menuButton->mapToGlobal(QPoint(0, menuButton->height())));
    menuButton->setDown(false);
}

EditWidget *TableCellView::openEditor() const
{
    return editor;
}

ShowingWidget *TableCellView::openDetails() const
{
    return details;
}
