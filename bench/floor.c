/* The floor the benchmark measures the program against: what listing a
 * cache must cost at the least, in the plainest C on one thread. Reads
 * cache.ini whole; for every line with a key, opens KEY.uxx for reading,
 * queries its size and times, closes it and formats its row (time stamp,
 * four spaces, name); then sorts the rows.
 *
 *   vorpane_floor CACHE_FOLDER/     prints how many rows it made
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

static int Compare(const void* a, const void* b) {
    return strcmp(*(char* const*)a, *(char* const*)b);
}

static char* ReadWhole(const char* path, size_t* size) {
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || fstat(fd, &info) != 0) {
        return NULL;
    }
    char* bytes = malloc((size_t)info.st_size + 1);
    ssize_t got = 0;
    for (ssize_t n; (n = read(fd, bytes + got, (size_t)(info.st_size - got))) > 0;) {
        got += n;
    }
    close(fd);
    *size = (size_t)got;
    return bytes;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: vorpane_floor CACHE_FOLDER/\n");
        return 2;
    }
    char path[PATH_MAX];
    const size_t folder = strlen(argv[1]);
    snprintf(path, sizeof path, "%scache.ini", argv[1]);
    size_t size = 0;
    char* index = ReadWhole(path, &size);
    if (index == NULL) {
        perror(path);
        return 1;
    }
    size_t count = 0, capacity = 1024;
    char** rows = malloc(capacity * sizeof *rows);
    for (char* line = index; line < index + size;) {
        char* end = memchr(line, '\n', (size_t)(index + size - line));
        if (end == NULL) {
            end = index + size;
        }
        const char* equals = memchr(line, '=', (size_t)(end - line));
        if (equals != NULL && equals != line &&
            folder + (size_t)(equals - line) + 5 <= sizeof path) {
            memcpy(path + folder, line, (size_t)(equals - line));
            memcpy(path + folder + (equals - line), ".uxx", 5);
            const int fd = open(path, O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                struct statx info;
                statx(fd, "", AT_EMPTY_PATH, STATX_SIZE | STATX_MTIME | STATX_BTIME, &info);
                close(fd);
                struct statx_timestamp stamp = info.stx_mtime;
                if ((info.stx_mask & STATX_BTIME) && info.stx_btime.tv_sec < stamp.tv_sec) {
                    stamp = info.stx_btime;
                }
                const time_t seconds = (time_t)stamp.tv_sec;
                struct tm utc;
                gmtime_r(&seconds, &utc);
                const int nameLength =
                    (int)(end - equals - 1 - (end > equals + 1 && end[-1] == '\r'));
                char* row = malloc(28 + (size_t)nameLength);
                sprintf(row, "%04d-%02d-%02d %02d:%02d:%02d.%03d    %.*s", utc.tm_year + 1900,
                        utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
                        (int)(stamp.tv_nsec / 1000000), nameLength, equals + 1);
                if (count == capacity) {
                    capacity *= 2;
                    rows = realloc(rows, capacity * sizeof *rows);
                }
                rows[count++] = row;
            }
        }
        line = end + 1;
    }
    qsort(rows, count, sizeof *rows, Compare);
    printf("%zu\n", count);
    return 0;
}
