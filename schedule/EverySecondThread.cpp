#include "schedule/EverySecondThread.h"

#include <QTimer>

EverySecondThread::EverySecondThread(QObject *parent)
    : QThread(parent)
{ }

EverySecondThread::~EverySecondThread()
{
    quit();
    wait();
}

void EverySecondThread::run()
{
    QTimer ticker;
    timer = &ticker;
    ticker.setInterval(1000);
    connect(&ticker, &QTimer::timeout, this, &EverySecondThread::alreadyOnSecond, Qt::DirectConnection);
    ticker.start();
    exec();
    timer = nullptr;
}
