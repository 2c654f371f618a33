#include "platform/InputActivitySource.h"

InputActivitySource::~InputActivitySource() = default;
