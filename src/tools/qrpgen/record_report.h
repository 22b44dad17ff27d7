#pragma once
// The recording loop of a report generator: BeginDoc, a page at a time with progress, and EndDoc,
// or Abort as soon as the document has been cancelled (by a progress window's Cancel button or by
// closing the preview that follows the recording).
#include <functional>

class TQRPrinter;

namespace qrpgen {

class TLedgerReport;

// Records every page of the report. betweenPages runs before each page and before the end, the
// place to let windows follow the recording. Returns false when the recording was cancelled and
// aborted. An error aborts the recording and propagates.
bool RecordReport(TQRPrinter& document, TLedgerReport& report,
                  const std::function<void()>& betweenPages = {});

} // namespace qrpgen
