#pragma once

#include "monitors/TAVMouseNKeyboardHook.h"

#include <QWidget>

class QLabel;
class TAVMenu;
class TAVPushButton;
class UserSettings;

// The main window's title bar: logo, title, the "more" menu, minimise and close.
class MenuBar final : public QWidget
{
    Q_OBJECT
public:
    // With the user's settings, the "more" menu also offers the user's choices as check items.
    explicit MenuBar(QWidget *parent, UserSettings *settings = nullptr);

    // The exit confirmation, as the close button shows it; "确定" in it ends the program.
    void askToExit();

public slots:
    void onClicked(bool flag);
    void confirmSlot(bool flag);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    TAVMenu *buildDropDownMenu();
    void addMenuEntry(TAVMenu *menu, const QString &text, void (*open)());
    void addChoiceEntry(TAVMenu *menu, const QString &text, int choice);

    QLabel *title;
    TAVPushButton *more;
    TAVPushButton *minimize;
    TAVPushButton *close;
    UserSettings *userSettings;
    TAVMouseNKeyboardHook hook;
};
