#include "bench/file_system_floor.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
