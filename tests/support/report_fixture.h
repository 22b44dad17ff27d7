#pragma once
// Report files made for tests: given page metafiles, written through the page store.
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

class TMetafile;

// Writes a report of the given pages (each the bytes of a metafile) and returns its file name.
std::string WriteReport(const QTemporaryDir& dir, const std::string& name,
                        const std::vector<std::vector<uint8_t>>& pages, bool compress = false);

// A page of widthMm x heightMm with no drawing.
std::vector<uint8_t> BlankPage(double widthMm = 210, double heightMm = 297);
