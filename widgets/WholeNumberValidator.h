#pragma once

#include <QValidator>

// Lets a field hold a whole number from 0 to a top value and nothing else: no sign, no point,
// no letters, nothing beyond the top. An empty field is allowed while typing.
class WholeNumberValidator final : public QValidator
{
    Q_OBJECT
public:
    WholeNumberValidator(qint64 top, QObject *parent);

    qint64 top() const;
    State validate(QString &input, int &position) const override;

private:
    qint64 highest;
};
