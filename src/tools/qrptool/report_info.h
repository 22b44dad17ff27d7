#pragma once
#include <string>
#include <utility>
#include <vector>

namespace qrptool {
// What "qrptool info" tells about a report: pairs of (key, value) in display order.
std::vector<std::pair<std::string, std::string>> DescribeReport(const std::string& fileName);
} // namespace qrptool
