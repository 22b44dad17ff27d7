#pragma once
#include "platform/errors.h"

// The report document's own failures ("QRPrinter not ready", "Illegal call to NewPage").
class EQRError : public Exception {
public:
    using Exception::Exception;
};
