#pragma once
// The sheet a device mode asks for, as a Qt page size.
#include "printer/dev_mode.h"

#include <QPageSize>

// The paper of dmPaperSize, or for DMPAPER_USER the dmPaperWidth by dmPaperLength sheet (when
// both fields are set and positive). Invalid when DM_PAPERSIZE is not set or the code names no
// paper Qt knows.
QPageSize DevModePageSize(const TDevMode& devMode);
