#include "platform/temp_file.h"

#include "platform/errors.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

std::string TempDirectory()
{
    const char* tmp = std::getenv("TMPDIR");
    struct stat st {};
    if (tmp && *tmp && stat(tmp, &st) == 0 && S_ISDIR(st.st_mode))
        return tmp;
    return "/tmp";
}

std::string CreateTempFile(const std::string& directory, const std::string& prefix)
{
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '/')
        pattern += '/';
    pattern += prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemp(name.data());
    if (fd < 0)
        throw EFCreateError(pattern, std::strerror(errno));
    ::close(fd);
    return std::string(name.data());
}
