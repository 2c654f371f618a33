#include "app/TabStyle.h"

#include <QLoggingCategory>
#include <QPainter>
#include <QStyleOptionTab>

// Layout passes ask for these rectangles all the time: off unless asked for.
Q_LOGGING_CATEGORY(tabStyleLog, "tickvale.tabstyle", QtWarningMsg)

namespace {
const int TabSide = 90;
const int CaptionDrop = 26;
}

TabStyle::TabStyle()
    : QProxyStyle()
{ }

QString TabStyle::picturePath(int tabPosition, bool selected)
{
    const QString format = selected ? QStringLiteral(":/Tickvale/schedule_selected_%1")
                                    : QStringLiteral(":/Tickvale/schedule_%1");
    return format.arg(tabPosition / 2);
}

void TabStyle::drawItemText(QPainter *, const QRect &rect, int, const QPalette &, bool, const QString &text,
                            QPalette::ColorRole) const
{
    qCDebug(tabStyleLog) << "item text not drawn:" << text << rect;
}

void TabStyle::drawItemPixmap(QPainter *, const QRect &rect, int, const QPixmap &) const
{
    qCDebug(tabStyleLog) << "item picture not drawn:" << rect;
}

void TabStyle::drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                           const QWidget *widget) const
{
    if (element == CE_TabBarTab) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    if (element == CE_TabBarTabLabel)
        drawTabLabel(option, painter);
    // Every other element, the tab shape included, stays undrawn.
}

void TabStyle::drawTabLabel(const QStyleOption *option, QPainter *painter) const
{
    const auto *tab = qstyleoption_cast<const QStyleOptionTab *>(option);
    if (!tab || tab->version < 3)
        return;
    const bool selected = tab->state & State_Selected;

    painter->save();
    painter->setPen(QColor(255, 255, 255, 255));
    QFont font = painter->font();
    font.setPointSize(9);
    font.setWeight(selected ? 75 : QFont().weight());
    painter->setFont(font);
    painter->drawText(tab->rect.translated(0, CaptionDrop), Qt::AlignCenter, tab->text);
    painter->restore();

    painter->setRenderHint(QPainter::Antialiasing);
    painter->drawPixmap(tab->rect.left(), 0, QPixmap(picturePath(tab->position, selected)));
}

QRect TabStyle::subElementRect(SubElement element, const QStyleOption *option, const QWidget *widget) const
{
    qCDebug(tabStyleLog) << "sub element" << element;
    return QProxyStyle::subElementRect(element, option, widget);
}

QRect TabStyle::subControlRect(ComplexControl control, const QStyleOptionComplex *option, SubControl subControl,
                               const QWidget *widget) const
{
    qCDebug(tabStyleLog) << "sub control" << control << subControl;
    return QProxyStyle::subControlRect(control, option, subControl, widget);
}

QSize TabStyle::sizeFromContents(ContentsType type, const QStyleOption *option, const QSize &size,
                                 const QWidget *widget) const
{
    QSize result = QProxyStyle::sizeFromContents(type, option, size, widget);
    if (type == CT_TabBarTab) {
        result.transpose();
        result = QSize(TabSide, TabSide);
    }
    return result;
}
