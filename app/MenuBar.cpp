#include "app/MenuBar.h"

#include "app/VATCloseMessageBox.h"
#include "storage/UserSettings.h"
#include "widgets/ResourceText.h"
#include "widgets/TAVMenu.h"
#include "widgets/TAVPushButton.h"
#include "widgets/VendorPages.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QWidgetAction>

namespace {

const int MenuEntryHeight = 28;
const int MenuTopPadding = 11;
// Wide enough for the longest choice, "启动时恢复已开启的任务".
const int ChoiceMenuWidth = 180;
const QString ChoiceStyle = QStringLiteral(
    "QCheckBox{font-size: 12px; color: #444444; padding-left: 14px; border-bottom: 1px solid #DBDBDB;}"
    "QCheckBox:hover{background: #5289EB; color: #ffffff;}");

TAVPushButton *makeTitleButton(const QString &sheet, const QString &toolTip, QWidget *parent)
{
    auto *button = new TAVPushButton(sheet, 1, parent, 4);
    button->setFixedSize(14, 14);
    button->setToolTip(toolTip);
    return button;
}

} // namespace

MenuBar::MenuBar(QWidget *parent, UserSettings *settings)
    : QWidget(parent)
    , userSettings(settings)
{
    auto *logo = new QLabel(this);
    logo->setPixmap(QPixmap(QStringLiteral(":/Tickvale/logo")));
    logo->setFixedSize(33, 33);

    title = new QLabel(QStringLiteral("Tickvale Pro"));
    title->setStyleSheet(QStringLiteral("color: white"));
    QFont titleFont = title->font();
    titleFont.setPointSize(12);
    title->setFont(titleFont);
    title->setFixedSize(140, 40);

    more = makeTitleButton(QStringLiteral(":/Tickvale/more"), QStringLiteral("更多"), this);
    minimize = makeTitleButton(QStringLiteral(":/Tickvale/minimize"), QStringLiteral("最小化"), this);
    close = makeTitleButton(QStringLiteral(":/Tickvale/close"), QStringLiteral("关闭"), this);

    more->setStyleSheet(
        QStringLiteral("QPushButton::menu-indicator{image:none;};QPushButton::menu{background:transparent;};"));
    more->setMenu(buildDropDownMenu());

    auto *layout = new QHBoxLayout(this);
    layout->setSpacing(0);
    layout->setContentsMargins(5, 5, 15, 0);
    layout->addSpacing(20);
    layout->addWidget(logo);
    layout->addWidget(title);
    layout->addStretch();
    layout->addWidget(more);
    layout->addSpacing(15);
    layout->addWidget(minimize);
    layout->addSpacing(15);
    layout->addWidget(close);

    connect(minimize, &QPushButton::clicked, this, &MenuBar::onClicked);
    connect(close, &QPushButton::clicked, this, &MenuBar::onClicked);
}

TAVMenu *MenuBar::buildDropDownMenu()
{
    auto *dropDown = new TAVMenu(this, more);
    dropDown->setRectPosition(TAVMenu::RectInCenter);
    dropDown->setStyleSheet(ResourceText::read(QStringLiteral(":/Tickvale/VATMenu")));
    addMenuEntry(dropDown, QStringLiteral("官方网站"), &VendorPages::openHomePage);
    addMenuEntry(dropDown, QStringLiteral("帮助"), &VendorPages::openHelpPage);
    if (!userSettings) {
        dropDown->setFixedSize(TAVMenu::DefaultWidth, MenuTopPadding + 2 * MenuEntryHeight);
        return dropDown;
    }
    addChoiceEntry(dropDown, QStringLiteral("执行前提醒"), UserSettings::WarnBeforeActions);
    addChoiceEntry(dropDown, QStringLiteral("开机自动启动"), UserSettings::StartAtLogin);
    addChoiceEntry(dropDown, QStringLiteral("启动时恢复已开启的任务"), UserSettings::RestoreArmedTasks);
    dropDown->setFixedSize(ChoiceMenuWidth, MenuTopPadding + 5 * MenuEntryHeight);
    return dropDown;
}

void MenuBar::addMenuEntry(TAVMenu *dropDown, const QString &text, void (*open)())
{
    auto *label = new QLabel(text);
    label->setObjectName(QStringLiteral("ActionLabel"));
    label->setFixedHeight(28);
    label->setAlignment(Qt::AlignCenter);
    auto *action = new QWidgetAction(dropDown);
    action->setDefaultWidget(label);
    action->setText(text);
    connect(action, &QAction::triggered, this, [open] { open(); });
    dropDown->addAction(action);
}

void MenuBar::addChoiceEntry(TAVMenu *dropDown, const QString &text, int choice)
{
    const auto which = UserSettings::Choice(choice);
    auto *check = new QCheckBox(text);
    check->setObjectName(QStringLiteral("ChoiceCheck"));
    check->setFixedHeight(MenuEntryHeight);
    check->setStyleSheet(ChoiceStyle);
    check->setChecked(userSettings->isOn(which));
    connect(check, &QCheckBox::toggled, userSettings, [this, which](bool on) { userSettings->setOn(which, on); });
    auto *action = new QWidgetAction(dropDown);
    action->setDefaultWidget(check);
    action->setText(text);
    dropDown->addAction(action);
}

void MenuBar::onClicked(bool flag)
{
    Q_UNUSED(flag)
    if (sender() == minimize) {
        window()->showMinimized();
        return;
    }
    askToExit();
}

void MenuBar::askToExit()
{
    auto *box = new VATCloseMessageBox(this, QSize(460, 250));
    // A box that was answered is of no further use.
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    connect(box, &VATCloseMessageBox::confirmSignal, this, &MenuBar::confirmSlot);
    const QRect owner = window()->frameGeometry();
    box->move(owner.center() - QPoint(box->width() / 2, box->height() / 2));
    box->show();
}

void MenuBar::confirmSlot(bool flag)
{
    if (!flag)
        return;
    TAVMouseNKeyboardHook::uninstallHook();
    QCoreApplication::exit(0);
}

void MenuBar::closeEvent(QCloseEvent *event)
{
    Q_UNUSED(event)
    QCoreApplication::quit();
}
