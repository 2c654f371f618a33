#pragma once

#include <QLabel>
#include <QStringList>

// A label whose text never runs past its edges: on one line it is cut with "…", or it wraps
// (anywhere, so a long path or address wraps too) and its last line is cut with "…" when the
// label is not tall enough. Whenever something is cut, the whole text is its tool tip.
// text() is always the whole text.
class FittedLabel final : public QLabel
{
    Q_OBJECT
public:
    explicit FittedLabel(QWidget *parent = nullptr);

    // Hides QLabel's own, so that the tool tip and size follow a new text.
    void setText(const QString &text);

    void setWrapping(bool wrap);
    // Lines shown at most when wrapping; 0 for as many as the height takes.
    void setMaximumLines(int lines);
    // The lines as they are drawn at the current size.
    QStringList shownLines() const;
    bool isCut() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // The text broken into lines of at most `width` pixels, every line that the text needs.
    QStringList wrappedLines(int width) const;
    QStringList fit(int width, int height) const;
    void refit();

    bool wrapping = false;
    int maximumLines = 0;
};
