#pragma once
// Texts the windows show that belong to the document's unit.
inline constexpr const char* kReportFileDescription = "DozivAdodoz file";
inline constexpr const char* kReportFileExtension = "QRP";
inline constexpr const char* kPageWord = "Page";
inline constexpr const char* kOfWord = "of";
