#include "widgets/WholeNumberValidator.h"

WholeNumberValidator::WholeNumberValidator(qint64 top, QObject *parent)
    : QValidator(parent)
    , highest(top)
{ }

qint64 WholeNumberValidator::top() const
{
    return highest;
}

QValidator::State WholeNumberValidator::validate(QString &input, int &position) const
{
    Q_UNUSED(position)
    if (input.isEmpty())
        return Intermediate;
    for (const QChar character : qAsConst(input)) {
        if (character < QLatin1Char('0') || character > QLatin1Char('9'))
            return Invalid;
    }
    // Digits beyond what any allowed value has can only make it larger.
    if (input.size() > QString::number(highest).size() + 2)
        return Invalid;
    bool read = false;
    const qint64 value = input.toLongLong(&read);
    return read && value <= highest ? Acceptable : Invalid;
}
