#include "widgets/FittedLabel.h"

#include <QEvent>
#include <QPainter>
#include <QTextLayout>

namespace {
const QChar Ellipsis(0x2026);
}

FittedLabel::FittedLabel(QWidget *parent)
    : QLabel(parent)
{
    // Any width will do: the text is cut or wrapped to what the layout gives.
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
}

void FittedLabel::setText(const QString &newText)
{
    QLabel::setText(newText);
    updateGeometry();
    refit();
}

void FittedLabel::setWrapping(bool wrap)
{
    wrapping = wrap;
    setSizePolicy(QSizePolicy::Ignored, wrap ? QSizePolicy::Minimum : QSizePolicy::Preferred);
    updateGeometry();
    refit();
}

void FittedLabel::setMaximumLines(int lines)
{
    maximumLines = lines;
    updateGeometry();
    refit();
}

QStringList FittedLabel::wrappedLines(int width) const
{
    QStringList lines;
    if (text().isEmpty() || width <= 0)
        return lines;
    QTextLayout layout(text(), font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        lines << text().mid(line.textStart(), line.textLength());
    }
    layout.endLayout();
    return lines;
}

QStringList FittedLabel::fit(int width, int height) const
{
    const QFontMetrics metrics = fontMetrics();
    if (!wrapping || width <= 0)
        return {metrics.elidedText(text(), Qt::ElideRight, qMax(width, 0))};
    QStringList lines = wrappedLines(width);
    int room = qMax(1, height / metrics.lineSpacing());
    if (maximumLines > 0)
        room = qMin(room, maximumLines);
    if (lines.size() <= room)
        return lines;
    // The last line that fits takes the rest of the text, cut where the space ends.
    QString rest;
    for (int i = room - 1; i < lines.size(); ++i)
        rest += lines.at(i);
    lines = lines.mid(0, room - 1);
    QString last = metrics.elidedText(rest, Qt::ElideRight, width);
    if (!last.endsWith(Ellipsis))
        last = metrics.elidedText(rest + Ellipsis + Ellipsis, Qt::ElideRight, width);
    lines << last;
    return lines;
}

QStringList FittedLabel::shownLines() const
{
    return fit(contentsRect().width(), contentsRect().height());
}

bool FittedLabel::isCut() const
{
    return shownLines().join(QString()) != text();
}

QSize FittedLabel::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const QMargins margins = contentsMargins();
    const int width = metrics.horizontalAdvance(text()) + margins.left() + margins.right();
    if (!wrapping)
        return QSize(width, metrics.height() + margins.top() + margins.bottom());
    return QSize(width, heightForWidth(width));
}

QSize FittedLabel::minimumSizeHint() const
{
    const QMargins margins = contentsMargins();
    return QSize(0, fontMetrics().height() + margins.top() + margins.bottom());
}

bool FittedLabel::hasHeightForWidth() const
{
    return wrapping;
}

int FittedLabel::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right();
    int lines = qMax(1, int(wrappedLines(inner).size()));
    if (maximumLines > 0)
        lines = qMin(lines, maximumLines);
    return lines * fontMetrics().lineSpacing() + margins.top() + margins.bottom();
}

void FittedLabel::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QRect area = contentsRect();
    const QStringList lines = shownLines();
    const int lineSpacing = fontMetrics().lineSpacing();
    int top = area.top();
    // A single line sits where the label's alignment puts it; wrapped lines start at the top.
    if (lines.size() == 1 && !(alignment() & Qt::AlignTop))
        top = area.top() + (area.height() - lineSpacing) / 2;
    for (const QString &line : lines) {
        painter.drawText(QRect(area.left(), top, area.width(), lineSpacing),
                         int(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter, line);
        top += lineSpacing;
    }
}

void FittedLabel::resizeEvent(QResizeEvent *event)
{
    QLabel::resizeEvent(event);
    refit();
}

void FittedLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        refit();
}

void FittedLabel::refit()
{
    // The tool tip follows the text: the whole of it when something is cut, nothing otherwise.
    const QString tip = isCut() ? text() : QString();
    if (toolTip() != tip)
        setToolTip(tip);
    update();
}
