#pragma once

#include "monitors/TAVMouseNKeyboardHook.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class TAVMenu;
class TAVPushButton;
class UserSettings;
class VATCloseMessageBox;

// The main window's title bar: logo, title, the "more" menu, minimise and close.
class MenuBar final : public QWidget
{
    Q_OBJECT
public:
    // With the user's settings, the "more" menu also offers the user's choices as check items.
    explicit MenuBar(QWidget *parent, UserSettings *settings = nullptr);

    TAVPushButton *moreButton() const;
    TAVPushButton *minimizeButton() const;
    TAVPushButton *closeButton() const;
    TAVMenu *dropDownMenu() const;
    // The confirmation box of the last click on close, while it exists.
    VATCloseMessageBox *confirmationBox() const;

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
    TAVMenu *menu;
    UserSettings *userSettings;
    TAVMouseNKeyboardHook hook;
    QPointer<VATCloseMessageBox> box;
};
