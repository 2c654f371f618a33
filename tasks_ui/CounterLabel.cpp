#include "tasks_ui/CounterLabel.h"

#include <QEvent>

CounterLabel::CounterLabel(const QString &longest, int height, QWidget *parent)
    : QLabel(parent)
    , longestText(longest)
    , fixedHeight(height)
{
    fitLongestText();
}

void CounterLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitLongestText();
}

void CounterLabel::fitLongestText()
{
    setFixedSize(fontMetrics().horizontalAdvance(longestText), fixedHeight);
}
