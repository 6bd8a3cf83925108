#include "bench/file_system_floor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <vector>

std::size_t FloorRefresh(const std::string& indexPath, const std::string& cacheDir) {
    std::vector<char> content;
    const int index = open(indexPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (index < 0) {
        return 0;
    }
    char buffer[1 << 16];
    for (ssize_t count; (count = read(index, buffer, sizeof buffer)) > 0;) {
        content.insert(content.end(), buffer, buffer + count);
    }
    close(index);

    std::size_t opened = 0;
    std::string path = cacheDir;
    const char* line = content.data();
    const char* end = content.data() + content.size();
    while (line < end) {
        const char* lineEnd =
            static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        if (lineEnd == nullptr) {
            lineEnd = end;
        }
        const char* equals = static_cast<const char*>(
            std::memchr(line, '=', static_cast<std::size_t>(lineEnd - line)));
        if (equals != nullptr && equals != line) {
            path.resize(cacheDir.size());
            path.append(line, equals).append(".uxx");
            const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                struct statx info {};
                statx(fd, "", AT_EMPTY_PATH, STATX_SIZE | STATX_MTIME | STATX_BTIME, &info);
                close(fd);
                ++opened;
            }
        }
        line = lineEnd + 1;
    }
    return opened;
}

bool FloorReplace(const std::string& path, std::string_view bytes) {
    const std::string temp = path + ".floor";
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        return false;
    }
    const bool written =
        write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    const bool synced = fsync(fd) == 0;
    close(fd);
    return written && synced && rename(temp.c_str(), path.c_str()) == 0;
}
