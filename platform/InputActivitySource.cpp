#include "platform/InputActivitySource.h"

InputActivitySource::~InputActivitySource() = default;

bool InputActivitySource::detectsIdleness() const
{
    return true;
}
