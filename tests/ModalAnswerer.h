#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

// Answers the next modal message box by clicking the button with the given text, and keeps
// what the box said. Tests never leave a box waiting.
class ModalAnswerer : public QObject
{
public:
    explicit ModalAnswerer(const QString &textOfButton)
        : buttonText(textOfButton)
    {
        connect(&poll, &QTimer::timeout, this, &ModalAnswerer::check);
        poll.start(10);
    }

    bool answered = false;
    QString title;
    QString text;
    QPoint centre; // of the box's frame, where it was shown

private:
    void check()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        for (QAbstractButton *button : box->buttons()) {
            if (button->text() == buttonText || (buttonText.isEmpty() && box->buttons().size() == 1)) {
                title = box->windowTitle();
                text = box->text();
                centre = box->frameGeometry().center();
                answered = true;
                poll.stop();
                button->click();
                return;
            }
        }
    }

    QString buttonText;
    QTimer poll;
};
