#pragma once
#include <string>

// The directory for temporary files: $TMPDIR when set and usable, otherwise /tmp.
std::string TempDirectory();

// Creates a new, empty, unique file in directory whose name begins with prefix and returns its
// name; raises EFCreateError when none can be made.
std::string CreateTempFile(const std::string& directory, const std::string& prefix);
