#pragma once

#include <QObject>

// Desktop-wide keyboard and mouse input, seen in every application, reported on the GUI
// thread: one activity() per key press (not with Alt held), pointer move, left or right
// button press or release, and vertical wheel notch; a key that stays down goes on counting,
// as its repeats would.
class InputActivitySource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~InputActivitySource() override;
    // Starts watching; false (and a log line) when the desktop offers no way to do so.
    virtual bool start() = 0;
    // Stops watching: no activity() after this returns.
    virtual void stop() = 0;
    // Whether the absence of activity() really means nobody is at the keyboard. A source
    // that loses sight of the desktop says so, and idleDetectionChanged() follows.
    virtual bool detectsIdleness() const;

signals:
    void activity();
    void idleDetectionChanged(bool detectable);
};
