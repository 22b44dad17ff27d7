#pragma once
// Report files for the benchmarks: N pages of dense report text, written once per run.
#include <string>

// The name of a compressed report of `pages` pages in a temporary folder that lives as long as the
// process; made on first use.
const std::string& BenchReport(int pages);
