#pragma once

#include <QString>

class QMessageBox;
class QWidget;

// The information box, titled "提示", that tells the user what went wrong. It does not wait:
// the caller goes on (a timer handler may be running) while the box stays up until answered.
class NoticeBox final
{
public:
    // Shows `text` over the window of `owner` (or the screen's middle without one).
    static QMessageBox *show(QWidget *owner, const QString &text);
};
