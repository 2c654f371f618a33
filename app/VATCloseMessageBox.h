#pragma once

#include <QWidget>

class QPushButton;

// Asks "您确定要退出程序吗?" before the program ends.
class VATCloseMessageBox final : public QWidget
{
    Q_OBJECT
public:
    // The parent is not used: the box is a window of its own.
    VATCloseMessageBox(QWidget *parent, const QSize &size);

    QPushButton *confirmButton() const;
    QPushButton *cancelButton() const;

signals:
    void confirmSignal(bool flag);

private:
    QWidget *buildMessageRow();
    QWidget *buildButtonRow();

    QPushButton *confirm = nullptr;
    QPushButton *cancel = nullptr;
};
