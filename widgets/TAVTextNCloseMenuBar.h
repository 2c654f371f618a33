#pragma once

#include <QWidget>

class QLabel;
class TAVPushButton;

// The title strip of the pop-up windows: a caption and a close button on the banner picture.
class TAVTextNCloseMenuBar final : public QWidget
{
    Q_OBJECT
public:
    explicit TAVTextNCloseMenuBar(QWidget *parent);

    void setTitle(const QString &title);
    QString title() const;

public slots:
    void onClicked(bool flag);

private:
    QLabel *caption;
    TAVPushButton *closeButton;
};
