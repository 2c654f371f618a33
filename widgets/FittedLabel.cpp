#include "widgets/FittedLabel.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTextLayout>
#include <QToolTip>

namespace {
const QChar Ellipsis(0x2026);
}

FittedLabel::FittedLabel(QWidget *parent)
    : QLabel(parent)
{
    // The text is shown as it is, markup included; any width will do, as the text is cut or
    // wrapped to what the layout gives.
    setTextFormat(Qt::PlainText);
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
    // Lines are a line spacing apart, as in any text; so many fit in the height.
    int room = qMax(1, height / qMax(1, metrics.lineSpacing()));
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
    const QSize whole = QLabel::sizeHint();
    return wrapping ? QSize(whole.width(), heightForWidth(whole.width())) : whole;
}

QSize FittedLabel::minimumSizeHint() const
{
    // As tall as one line of the label's own, as narrow as a layout likes.
    return QSize(0, QLabel::sizeHint().height());
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
    // A single line sits where the label's alignment puts it, as in any label.
    if (lines.size() == 1) {
        painter.drawText(area, int(alignment()), lines.first());
        return;
    }
    const QFontMetrics metrics = fontMetrics();
    int top = area.top();
    for (const QString &line : lines) {
        painter.drawText(QRect(area.left(), top, area.width(), metrics.height()),
                         int(alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignTop, line);
        top += metrics.lineSpacing();
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
    update();
}

bool FittedLabel::event(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QLabel::event(event);
    // The whole text when something is cut, as escaped rich text so that markup in it shows as
    // written and a long text wraps; nothing otherwise. Worked out only when asked for: rows
    // are made by the hundred.
    if (isCut()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text(), Qt::WhiteSpaceNormal), this);
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}
