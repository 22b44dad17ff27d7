#include "printing/restore_driver_defaults.h"

#include "printer/printer.h"

#include <string>

void RestoreDriverDefaults(TPrinter& printer)
{
    std::string device;
    std::string driver;
    std::string port;
    TDevModeHandle devMode = 0;
    printer.GetPrinter(device, driver, port, devMode);
    if (device.empty())
        return;
    printer.SetPrinter(device, driver, port, 0);
}
