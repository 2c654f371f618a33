#pragma once

#include <QLabel>

// A counter of the status bar. Its text changes every second, so it keeps a fixed size wide
// enough for the longest text it can show: a change repaints the label alone instead of laying
// out the whole window. The width follows the label's font, which start-up changes after the
// window is built.
class CounterLabel final : public QLabel
{
public:
    CounterLabel(const QString &longestText, int height, QWidget *parent = nullptr);

protected:
    void changeEvent(QEvent *event) override;

private:
    void fitLongestText();

    QString longestText;
    int fixedHeight;
};
