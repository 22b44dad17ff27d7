#pragma once
// The sample company's logo, painted as a bitmap the way a report would carry a scanned or
// exported picture, so that the pages hold a real bitmap record.
#include <QImage>

namespace qrpgen {

// A square picture of size × size pixels on white.
QImage CompanyLogo(int size);

inline constexpr const char* kCompanyName = "Kestrel Trading Company";

} // namespace qrpgen
