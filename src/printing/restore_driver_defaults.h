#pragma once
class TPrinter;

// Makes the printer object drop its device mode and build a new one with its driver's defaults,
// keeping the selected printer. Nothing happens without printers.
void RestoreDriverDefaults(TPrinter& printer);
