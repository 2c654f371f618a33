#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class TAVLoadFontFamilyFiles;
class TAVTextNCloseMenuBar;

// A small frameless window that asks for one line of text (the task editor's web address).
class TAVInputWidget final : public QWidget
{
    Q_OBJECT
public:
    explicit TAVInputWidget(QWidget *parent);

    void setTexts(const QString &title, const QString &prompt);
    QPushButton *confirmButton() const;
    QPushButton *cancelButton() const;

signals:
    void getInputContent(QString content);

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QWidget *buildContent();
    void confirm();

    TAVTextNCloseMenuBar *titleStrip = nullptr;
    QLabel *prompt = nullptr;
    QLineEdit *input = nullptr;
    TAVLoadFontFamilyFiles *fontLoader = nullptr;
    QPushButton *confirmBtn = nullptr;
    QPushButton *cancelBtn = nullptr;
};
