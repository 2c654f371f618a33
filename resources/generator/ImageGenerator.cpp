// Draws every picture of the interface in one flat style: accent #5289EB, text #444444,
// white line icons on the blue banner. Run through resources/generate-images.sh.
#include <QColor>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRadialGradient>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {

const QColor Accent(0x52, 0x89, 0xEB);
const QColor AccentDark(0x3A, 0x6F, 0xD8);
const QColor AccentLight(0x6E, 0x9F, 0xF2);
const QColor Text(0x44, 0x44, 0x44);
QString outputDir;

using Draw = std::function<void(QPainter &)>;

QImage canvas(int w, int h, const QColor &fill = Qt::transparent)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void save(const QImage &image, const QString &name, const char *format = "PNG")
{
    const QString path = outputDir + QLatin1Char('/') + name;
    if (!image.save(path, format, format == QByteArray("JPG") ? 90 : -1))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

void paint(QImage &image, const Draw &draw)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
}

QPen line(const QColor &color, qreal width)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// --- glyphs, drawn in a 24 x 24 box centred at the origin ---------------------------------

void glyphPower(QPainter &p)
{
    p.drawArc(QRectF(-8, -7, 16, 16), 120 * 16, -240 * 16);
    p.drawLine(QPointF(0, -9), QPointF(0, 0));
}

void glyphRestart(QPainter &p)
{
    p.drawArc(QRectF(-8, -8, 16, 16), 60 * 16, 290 * 16);
    QPainterPath head;
    head.moveTo(4, -10);
    head.lineTo(5, -6);
    head.lineTo(1, -5);
    p.drawPath(head);
}

void glyphLogoff(QPainter &p)
{
    p.drawLine(QPointF(-2, -8), QPointF(-8, -8));
    p.drawLine(QPointF(-8, -8), QPointF(-8, 8));
    p.drawLine(QPointF(-8, 8), QPointF(-2, 8));
    p.drawLine(QPointF(-3, 0), QPointF(8, 0));
    p.drawLine(QPointF(4, -4), QPointF(8, 0));
    p.drawLine(QPointF(4, 4), QPointF(8, 0));
}

void glyphLock(QPainter &p)
{
    p.drawRoundedRect(QRectF(-7, -2, 14, 10), 2, 2);
    p.drawArc(QRectF(-4.5, -9, 9, 12), 0, 180 * 16);
    p.drawLine(QPointF(-4.5, -3), QPointF(-4.5, -2));
    p.drawLine(QPointF(4.5, -3), QPointF(4.5, -2));
    p.drawLine(QPointF(0, 2), QPointF(0, 4));
}

void glyphMoon(QPainter &p)
{
    QPainterPath moon;
    moon.addEllipse(QPointF(0, 0), 8, 8);
    QPainterPath bite;
    bite.addEllipse(QPointF(4.5, -3.5), 7, 7);
    p.drawPath(moon.subtracted(bite));
}

void glyphDisplayOff(QPainter &p)
{
    p.drawRoundedRect(QRectF(-9, -7, 18, 12), 1.5, 1.5);
    p.drawLine(QPointF(-4, 9), QPointF(4, 9));
    p.drawLine(QPointF(0, 5), QPointF(0, 9));
    p.drawLine(QPointF(-10, 9), QPointF(10, -9));
}

void glyphStandby(QPainter &p)
{
    p.drawRoundedRect(QRectF(-8, -8, 16, 16), 3, 3);
    p.drawLine(QPointF(-2.5, -4), QPointF(-2.5, 4));
    p.drawLine(QPointF(2.5, -4), QPointF(2.5, 4));
}

void glyphRun(QPainter &p)
{
    p.drawRoundedRect(QRectF(-9, -8, 18, 16), 2, 2);
    p.drawLine(QPointF(-9, -4), QPointF(9, -4));
    QPainterPath play;
    play.moveTo(-2, -1);
    play.lineTo(4, 2.5);
    play.lineTo(-2, 6);
    play.closeSubpath();
    p.drawPath(play);
}

void glyphGlobe(QPainter &p)
{
    p.drawEllipse(QPointF(0, 0), 8.5, 8.5);
    p.drawEllipse(QPointF(0, 0), 3.5, 8.5);
    p.drawLine(QPointF(-8.5, 0), QPointF(8.5, 0));
    p.drawLine(QPointF(-7, -4.5), QPointF(7, -4.5));
    p.drawLine(QPointF(-7, 4.5), QPointF(7, 4.5));
}

void glyphFile(QPainter &p)
{
    QPainterPath page;
    page.moveTo(-6, -9);
    page.lineTo(2, -9);
    page.lineTo(7, -4);
    page.lineTo(7, 9);
    page.lineTo(-6, 9);
    page.closeSubpath();
    p.drawPath(page);
    p.drawLine(QPointF(2, -9), QPointF(2, -4));
    p.drawLine(QPointF(2, -4), QPointF(7, -4));
    p.drawLine(QPointF(-3, 1), QPointF(4, 1));
    p.drawLine(QPointF(-3, 5), QPointF(4, 5));
}

void glyphCloseProgram(QPainter &p)
{
    p.drawRoundedRect(QRectF(-9, -8, 18, 16), 2, 2);
    p.drawLine(QPointF(-9, -4), QPointF(9, -4));
    p.drawLine(QPointF(-3, -1), QPointF(3, 5));
    p.drawLine(QPointF(3, -1), QPointF(-3, 5));
}

void glyphNetworkOff(QPainter &p)
{
    p.drawArc(QRectF(-9, -5, 18, 18), 45 * 16, 90 * 16);
    p.drawArc(QRectF(-5.5, -1, 11, 11), 45 * 16, 90 * 16);
    p.drawPoint(QPointF(0, 7));
    p.drawLine(QPointF(-9, -8), QPointF(9, 9));
}

void glyphClock(QPainter &p)
{
    p.drawEllipse(QPointF(0, 0), 9, 9);
    p.drawLine(QPointF(0, 0), QPointF(0, -5.5));
    p.drawLine(QPointF(0, 0), QPointF(4, 2));
}

void glyphLog(QPainter &p)
{
    p.drawRoundedRect(QRectF(-7.5, -9, 15, 18), 2, 2);
    p.drawLine(QPointF(-4, -4), QPointF(4, -4));
    p.drawLine(QPointF(-4, 0), QPointF(4, 0));
    p.drawLine(QPointF(-4, 4), QPointF(1, 4));
}

void glyphHelp(QPainter &p)
{
    p.drawEllipse(QPointF(0, 0), 9, 9);
    QPainterPath hook;
    hook.moveTo(-3, -3);
    hook.cubicTo(-3, -7, 3.5, -7, 3.5, -3);
    hook.cubicTo(3.5, -0.5, 0, 0, 0, 2.5);
    p.drawPath(hook);
    p.drawPoint(QPointF(0, 5.5));
}

void drawGlyph(QPainter &p, const std::function<void(QPainter &)> &glyph, QPointF centre, qreal scale,
               const QColor &color, qreal width)
{
    p.save();
    p.translate(centre);
    p.scale(scale, scale);
    p.setPen(line(color, width / scale));
    p.setBrush(Qt::NoBrush);
    glyph(p);
    p.restore();
}

// --- pictures -----------------------------------------------------------------------------

void makeBackground()
{
    // The window repeats this picture side by side: every shape that crosses an edge is drawn
    // again one width over, so the repeat shows no seam.
    QImage image = canvas(852, 138);
    paint(image, [](QPainter &p) {
        QLinearGradient sky(0, 0, 0, 138);
        sky.setColorAt(0, QColor(0x4A, 0x80, 0xE6));
        sky.setColorAt(1, QColor(0x58, 0x8F, 0xEE));
        p.fillRect(QRectF(0, 0, 852, 138), sky);
        p.setPen(Qt::NoPen);
        for (int shift : {-852, 0, 852}) {
            p.setBrush(QColor(255, 255, 255, 14));
            p.drawEllipse(QPointF(700 + shift, 10), 160, 120);
            p.drawEllipse(QPointF(120 + shift, 150), 200, 90);
            p.setBrush(QColor(255, 255, 255, 9));
            p.drawEllipse(QPointF(430 + shift, -40), 260, 110);
        }
    });
    save(image, QStringLiteral("background.png"));
}

void makeLogo()
{
    QImage image = canvas(26, 26);
    paint(image, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QRectF(1, 1, 24, 24));
        drawGlyph(p, glyphClock, QPointF(13, 13), 0.95, Accent, 2.2);
    });
    save(image, QStringLiteral("logo.png"));
}

void makeAppIcons()
{
    for (int side : {250, 128, 64, 48, 32, 24, 16}) {
        QImage image = canvas(side, side);
        paint(image, [side](QPainter &p) {
            const qreal s = side / 26.0;
            p.setPen(Qt::NoPen);
            p.setBrush(Accent);
            p.drawRoundedRect(QRectF(0, 0, side, side), side * 0.22, side * 0.22);
            drawGlyph(p, glyphClock, QPointF(side / 2.0, side / 2.0), s * 0.85, Qt::white, qMax(1.5, s * 2.0));
        });
        save(image, QStringLiteral("icon_%1.png").arg(side));
    }
}

// Four 14 x 14 frames stacked: normal, hovered, pressed, disabled.
void makeTitleButton(const QString &name, const std::function<void(QPainter &)> &glyph)
{
    const QColor states[] = {QColor(255, 255, 255, 220), QColor(255, 255, 255), QColor(220, 232, 255),
                             QColor(255, 255, 255, 110)};
    QImage image = canvas(14, 56);
    paint(image, [&](QPainter &p) {
        for (int i = 0; i < 4; ++i) {
            if (i == 1 || i == 2) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(255, 255, 255, i == 1 ? 40 : 70));
                p.drawRoundedRect(QRectF(0, i * 14, 14, 14), 2, 2);
            }
            p.save();
            p.translate(7, i * 14 + 7);
            p.setPen(line(states[i], 1.4));
            p.setBrush(Qt::NoBrush);
            glyph(p);
            p.restore();
        }
    });
    save(image, name + QStringLiteral(".png"));
}

void makeTitleButtons()
{
    makeTitleButton(QStringLiteral("more"), [](QPainter &p) {
        p.drawLine(QPointF(-4, -3), QPointF(4, -3));
        p.drawLine(QPointF(-4, 0), QPointF(4, 0));
        p.drawLine(QPointF(-4, 3), QPointF(4, 3));
    });
    makeTitleButton(QStringLiteral("minimize"), [](QPainter &p) { p.drawLine(QPointF(-4, 0.5), QPointF(4, 0.5)); });
    makeTitleButton(QStringLiteral("close"), [](QPainter &p) {
        p.drawLine(QPointF(-3.5, -3.5), QPointF(3.5, 3.5));
        p.drawLine(QPointF(3.5, -3.5), QPointF(-3.5, 3.5));
    });
}

// 100 x 100 pictures drawn at the top of a 90 x 90 tab: the caption goes below the glyph.
void makeTabPicture(const QString &name, const std::function<void(QPainter &)> &glyph, bool selected, qreal glyphY = 36)
{
    QImage image = canvas(100, 100);
    paint(image, [&](QPainter &p) {
        if (selected) {
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, 46));
            p.drawRoundedRect(QRectF(8, 8, 74, 74), 8, 8);
            p.setBrush(Qt::white);
            p.drawRoundedRect(QRectF(33, 84, 24, 3), 1.5, 1.5);
        }
        drawGlyph(p, glyph, QPointF(45, glyphY), 1.45, selected ? Qt::white : QColor(255, 255, 255, 200),
                  selected ? 2.6 : 2.2);
    });
    save(image, name + QStringLiteral(".png"));
}

void makeTabsAndHelp()
{
    makeTabPicture(QStringLiteral("schedule_0"), glyphClock, false);
    makeTabPicture(QStringLiteral("schedule_selected_0"), glyphClock, true);
    makeTabPicture(QStringLiteral("schedule_1"), glyphLog, false);
    makeTabPicture(QStringLiteral("schedule_selected_1"), glyphLog, true);

    // The help button draws its picture 10 pixels low and its caption below the middle.
    for (bool selected : {false, true}) {
        QImage image = canvas(100, 100);
        paint(image, [selected](QPainter &p) {
            if (selected) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(255, 255, 255, 46));
                p.drawRoundedRect(QRectF(13, 2, 74, 74), 8, 8);
            }
            drawGlyph(p, glyphHelp, QPointF(50, 30), 1.35, selected ? Qt::white : QColor(255, 255, 255, 200), 2.4);
        });
        save(image, selected ? QStringLiteral("help_selected.png") : QStringLiteral("help.png"));
    }
}

void makeMissionIcons()
{
    const std::function<void(QPainter &)> glyphs[12] = {
        glyphPower,   glyphRestart, glyphLogoff, glyphLock, glyphMoon,         glyphDisplayOff,
        glyphStandby, glyphRun,     glyphGlobe,  glyphFile, glyphCloseProgram, glyphNetworkOff};
    const QColor tints[12] = {
        QColor(0xE8, 0x5A, 0x4F), QColor(0xF0, 0x9A, 0x36), QColor(0x8E, 0x6C, 0xE0), QColor(0x5C, 0x6B, 0x80),
        QColor(0x3D, 0x5A, 0xC8), QColor(0x2F, 0xA3, 0x9B), QColor(0x47, 0x7C, 0xD8), Accent,
        QColor(0x2E, 0x9C, 0xDB), QColor(0x4C, 0xAF, 0x6A), QColor(0xD9, 0x4B, 0x7B), QColor(0x7A, 0x86, 0x99)};
    for (int i = 0; i < 12; ++i) {
        QImage image = canvas(32, 32);
        paint(image, [&](QPainter &p) {
            p.setPen(Qt::NoPen);
            p.setBrush(tints[i]);
            p.drawRoundedRect(QRectF(1, 1, 30, 30), 7, 7);
            drawGlyph(p, glyphs[i], QPointF(16, 16), 0.95, Qt::white, 1.9);
        });
        save(image, QStringLiteral("mission_%1.png").arg(i));
    }
}

// 4 x 4 frames of 30 x 30; the button stretches one over 120 x 30, so each frame is a flat
// fill with small corners that survive the stretch. Column by column: normal, hovered,
// pressed, disabled.
void makeAddMission()
{
    const QColor states[] = {Accent, AccentLight, AccentDark, QColor(0xB5, 0xBC, 0xC9)};
    QImage image = canvas(120, 120);
    paint(image, [&](QPainter &p) {
        p.setPen(Qt::NoPen);
        for (int column = 0; column < 4; ++column) {
            for (int row = 0; row < 4; ++row) {
                p.setBrush(states[row]);
                p.drawRoundedRect(QRectF(column * 30, row * 30, 30, 30), 1.5, 3);
            }
        }
    });
    save(image, QStringLiteral("add_mission.png"));
}

void makeSmallPictures()
{
    QImage dots = canvas(19, 5);
    paint(dots, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x88, 0x90, 0x9E));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QRectF(1 + i * 7, 0.5, 4, 4));
    });
    save(dots, QStringLiteral("edit_mission.png"));

    QImage question = canvas(48, 48);
    paint(question, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(Accent);
        p.drawEllipse(QRectF(2, 2, 44, 44));
        drawGlyph(
            p,
            [](QPainter &g) {
                QPainterPath hook;
                hook.moveTo(-4.5, -4);
                hook.cubicTo(-4.5, -10, 5, -10, 5, -4);
                hook.cubicTo(5, 0, 0, 0.5, 0, 4);
                g.drawPath(hook);
                g.drawPoint(QPointF(0, 9));
            },
            QPointF(24, 23), 1.4, Qt::white, 3.6);
    });
    save(question, QStringLiteral("question.png"));

    QImage calendar = canvas(10, 9);
    paint(calendar, [](QPainter &p) {
        p.setPen(line(QColor(0x88, 0x90, 0x9E), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(0.5, 1.5, 9, 7));
        p.fillRect(QRectF(0.5, 1.5, 9, 2), QColor(0x88, 0x90, 0x9E));
        p.drawLine(QPointF(3, 0), QPointF(3, 1.5));
        p.drawLine(QPointF(7, 0), QPointF(7, 1.5));
    });
    save(calendar, QStringLiteral("calendar.png"));

    QImage arrow = canvas(8, 6);
    paint(arrow, [](QPainter &p) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x88, 0x90, 0x9E));
        QPainterPath tip;
        tip.moveTo(0, 1);
        tip.lineTo(8, 1);
        tip.lineTo(4, 5.5);
        tip.closeSubpath();
        p.drawPath(tip);
    });
    save(arrow, QStringLiteral("drop_arrow.png"));
}

void makeCat()
{
    QImage image = canvas(500, 462, QColor(0xEE, 0xF4, 0xFF));
    paint(image, [](QPainter &p) {
        const QColor fur(0xF2, 0xA6, 0x5A);
        const QColor furDark(0xD9, 0x86, 0x3A);
        QRadialGradient glow(250, 250, 260);
        glow.setColorAt(0, QColor(0xFF, 0xFF, 0xFF));
        glow.setColorAt(1, QColor(0xDC, 0xE8, 0xFF));
        p.fillRect(QRectF(0, 0, 500, 462), glow);
        p.setPen(Qt::NoPen);
        // ears
        for (int side : {-1, 1}) {
            QPainterPath ear;
            ear.moveTo(250 + side * 150, 190);
            ear.lineTo(250 + side * 165, 40);
            ear.lineTo(250 + side * 50, 120);
            ear.closeSubpath();
            p.setBrush(fur);
            p.drawPath(ear);
            QPainterPath inner;
            inner.moveTo(250 + side * 135, 170);
            inner.lineTo(250 + side * 150, 75);
            inner.lineTo(250 + side * 75, 128);
            inner.closeSubpath();
            p.setBrush(QColor(0xF7, 0xC6, 0xC0));
            p.drawPath(inner);
        }
        // head
        p.setBrush(fur);
        p.drawEllipse(QRectF(75, 95, 350, 310));
        // stripes
        p.setBrush(furDark);
        for (int i = -1; i <= 1; ++i)
            p.drawRoundedRect(QRectF(238 + i * 34, 100, 24, 70), 12, 12);
        // muzzle
        p.setBrush(QColor(0xFF, 0xF3, 0xE6));
        p.drawEllipse(QRectF(160, 265, 180, 120));
        // eyes
        for (int side : {-1, 1}) {
            p.setBrush(QColor(0x2E, 0x3A, 0x4F));
            p.drawEllipse(QPointF(250 + side * 78, 235), 24, 30);
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(250 + side * 78 + 8, 224), 8, 9);
        }
        // nose and mouth
        QPainterPath nose;
        nose.moveTo(232, 288);
        nose.lineTo(268, 288);
        nose.lineTo(250, 308);
        nose.closeSubpath();
        p.setBrush(QColor(0xE8, 0x6A, 0x7A));
        p.drawPath(nose);
        p.setPen(line(QColor(0x5A, 0x40, 0x30), 5));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(212, 290, 38, 40), 180 * 16, 150 * 16);
        p.drawArc(QRectF(250, 290, 38, 40), 210 * 16, 150 * 16);
        // whiskers
        p.setPen(line(QColor(0x7A, 0x5A, 0x40), 4));
        for (int side : {-1, 1}) {
            for (int i = 0; i < 3; ++i)
                p.drawLine(QPointF(250 + side * 95, 300 + i * 18), QPointF(250 + side * 200, 280 + i * 28));
        }
    });
    save(image, QStringLiteral("cat.jpg"), "JPG");
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    outputDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(outputDir);
    makeBackground();
    makeLogo();
    makeAppIcons();
    makeTitleButtons();
    makeTabsAndHelp();
    makeMissionIcons();
    makeAddMission();
    makeSmallPictures();
    makeCat();
    return 0;
}
