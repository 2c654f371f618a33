#pragma once

#include <QThread>

class QTimer;

// A worker thread whose only job is to say, once a second, that a second has passed.
class EverySecondThread final : public QThread
{
    Q_OBJECT
public:
    explicit EverySecondThread(QObject *parent);
    ~EverySecondThread() override;

signals:
    void alreadyOnSecond();

protected:
    void run() override;

private:
    QTimer *timer = nullptr;
};
