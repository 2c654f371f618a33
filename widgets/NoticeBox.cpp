#include "widgets/NoticeBox.h"

#include <QMessageBox>

QMessageBox *NoticeBox::show(QWidget *owner, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("提示"), text, QMessageBox::Ok, owner);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    return box;
}
