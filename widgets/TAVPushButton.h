#pragma once

#include <QList>
#include <QPixmap>
#include <QPushButton>

#include <memory>

// A push button painted from a sprite sheet: frame 0 normal, 1 hovered, 2 pressed, with an
// optional white caption on top.
class TAVPushButton final : public QPushButton
{
    Q_OBJECT
    Q_PROPERTY(int curIndex READ curIndex WRITE setCurIndex)
public:
    // The parent is not applied: the layout that receives the button adopts it.
    TAVPushButton(const QString &sheetPath, int columns, QWidget *parent, int rows, const QString &iconPath = QString(),
                  const QString &text = QString());
    ~TAVPushButton() override;

    int curIndex() const;
    void setCurIndex(int index);

    QSize sizeHint() const override;

    // The frames of a sheet, column by column and top to bottom within a column.
    static QList<QPixmap> cutFrames(const QPixmap &sheet, int columns, int rows);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<QPixmap> icon;
    QString text;
    QList<QPixmap> pixmaps;
    int index = 0;
};
