#include "tasks_ui/LastWarningPresenter.h"

#include "schedule/TaskScheduler.h"
#include "storage/UserSettings.h"
#include "tasks_ui/LastWarningWindow.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

// Several times a second, so that the shown second never lags by a whole one.
const int RefreshMs = 200;
const int ScreenMargin = 24;

void placeInCorner(QWidget *window, int stack)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const int y = area.bottom() - ScreenMargin - (stack + 1) * (window->height() + 8);
    window->move(area.right() - ScreenMargin - window->width(), qMax(area.top(), y));
}

} // namespace

LastWarningPresenter::LastWarningPresenter(TaskScheduler *taskScheduler, UserSettings *settings, QObject *parent)
    : QObject(parent)
    , scheduler(taskScheduler)
{
    ticker.setInterval(RefreshMs);
    connect(&ticker, &QTimer::timeout, this, &LastWarningPresenter::refresh);
    connect(scheduler, &TaskScheduler::warningOpened, this, &LastWarningPresenter::open);
    connect(scheduler, &TaskScheduler::warningClosed, this, &LastWarningPresenter::close);
    if (!settings) {
        scheduler->setWarnBeforeActions(true);
        return;
    }
    scheduler->setWarnBeforeActions(settings->isOn(UserSettings::WarnBeforeActions));
    connect(settings, &UserSettings::choiceChanged, this, [this](UserSettings::Choice choice, bool on) {
        if (choice == UserSettings::WarnBeforeActions)
            scheduler->setWarnBeforeActions(on);
    });
}

LastWarningPresenter::~LastWarningPresenter()
{
    // The windows have no parent: they go with the presenter.
    for (const QPointer<LastWarningWindow> &window : qAsConst(windows))
        delete window.data();
    for (const QPointer<LastWarningWindow> &window : qAsConst(closing))
        delete window.data();
}

LastWarningWindow *LastWarningPresenter::windowOf(int id) const
{
    return windows.value(id).data();
}

void LastWarningPresenter::open(int id)
{
    LastWarningWindow *window = windowOf(id);
    if (!window) {
        window = new LastWarningWindow;
        window->setAttribute(Qt::WA_DeleteOnClose);
        connect(window, &LastWarningWindow::answered, this,
                [this, id](LastWarningRules::Answer answer) { scheduler->answerWarning(id, answer); });
        windows.insert(id, window);
        placeInCorner(window, windows.size() - 1);
    }
    window->setDescription(scheduler->warningDescription(id));
    window->setCountdownText(scheduler->warningText(id));
    window->show();
    ticker.start();
}

void LastWarningPresenter::close(int id)
{
    // Closed once control is back in the event loop: the action that follows a warning runs
    // first, since hiding a window may wait on the window system (Wine waits up to two
    // seconds for a display without a window manager).
    if (LastWarningWindow *window = windows.take(id).data()) {
        closing.removeAll(nullptr);
        closing << window;
        QTimer::singleShot(0, window, &QWidget::close);
    }
    if (windows.isEmpty())
        ticker.stop();
}

void LastWarningPresenter::refresh()
{
    for (auto it = windows.cbegin(); it != windows.cend(); ++it) {
        if (it.value() && scheduler->hasOpenWarning(it.key()))
            it.value()->setCountdownText(scheduler->warningText(it.key()));
    }
}
