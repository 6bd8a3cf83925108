/* The floor the benchmark measures the program against: what listing a
 * cache must cost at the least, in the plainest C on one thread. Reads
 * cache.ini whole; for every line with a key, opens KEY.uxx for reading,
 * queries its size and times, closes it and formats its row (time stamp,
 * four spaces, name); then sorts the rows. With THREADS, the files are
 * shared out among that many threads, a slice at a time, as the program
 * does; the lines are found first then.
 *
 *   vorpane_floor CACHE_FOLDER/ [THREADS]    prints how many rows it made
 */
#define _GNU_SOURCE
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <stdatomic.h>
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

struct Line {
    const char* key;
    const char* equals;
    const char* end;
};

struct Work {
    const char* folder;
    size_t folderLength;
    const struct Line* lines;
    char** rows;
    size_t count;
    atomic_size_t next;
};

enum { kSlice = 256 };

/* The row of one listed file, or NULL when it does not open. */
static char* RowOf(const struct Work* work, const struct Line* line) {
    char path[PATH_MAX];
    const size_t keyLength = (size_t)(line->equals - line->key);
    if (work->folderLength + keyLength + 5 > sizeof path) {
        return NULL;
    }
    memcpy(path, work->folder, work->folderLength);
    memcpy(path + work->folderLength, line->key, keyLength);
    memcpy(path + work->folderLength + keyLength, ".uxx", 5);
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return NULL;
    }
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
    const char* end = line->end;
    const int nameLength = (int)(end - line->equals - 1 - (end > line->equals + 1 && end[-1] == '\r'));
    char* row = malloc(28 + (size_t)nameLength);
    sprintf(row, "%04d-%02d-%02d %02d:%02d:%02d.%03d    %.*s", utc.tm_year + 1900,
            utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec,
            (int)(stamp.tv_nsec / 1000000), nameLength, line->equals + 1);
    return row;
}

static void* Drain(void* argument) {
    struct Work* work = argument;
    for (size_t begin; (begin = atomic_fetch_add(&work->next, kSlice)) < work->count;) {
        const size_t end = begin + kSlice < work->count ? begin + kSlice : work->count;
        for (size_t i = begin; i < end; ++i) {
            work->rows[i] = RowOf(work, &work->lines[i]);
        }
    }
    return NULL;
}

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        fprintf(stderr, "usage: vorpane_floor CACHE_FOLDER/ [THREADS]\n");
        return 2;
    }
    const int threads = argc == 3 ? atoi(argv[2]) : 1;
    char path[PATH_MAX];
    snprintf(path, sizeof path, "%scache.ini", argv[1]);
    size_t size = 0;
    char* index = ReadWhole(path, &size);
    if (index == NULL) {
        perror(path);
        return 1;
    }
    size_t count = 0, capacity = 1024;
    struct Line* lines = malloc(capacity * sizeof *lines);
    for (char* line = index; line < index + size;) {
        char* end = memchr(line, '\n', (size_t)(index + size - line));
        if (end == NULL) {
            end = index + size;
        }
        const char* equals = memchr(line, '=', (size_t)(end - line));
        if (equals != NULL && equals != line) {
            if (count == capacity) {
                capacity *= 2;
                lines = realloc(lines, capacity * sizeof *lines);
            }
            lines[count++] = (struct Line){line, equals, end};
        }
        line = end + 1;
    }
    struct Work work = {argv[1], strlen(argv[1]), lines, calloc(count + 1, sizeof(char*)), count, 0};
    pthread_t helpers[64];
    int started = 0;
    for (; started < threads - 1 && started < 64; ++started) {
        if (pthread_create(&helpers[started], NULL, Drain, &work) != 0) {
            break;
        }
    }
    Drain(&work);
    for (int i = 0; i < started; ++i) {
        pthread_join(helpers[i], NULL);
    }
    size_t rowCount = 0;
    for (size_t i = 0; i < count; ++i) {
        if (work.rows[i] != NULL) {
            work.rows[rowCount++] = work.rows[i];
        }
    }
    qsort(work.rows, rowCount, sizeof *work.rows, Compare);
    printf("%zu\n", rowCount);
    return 0;
}
