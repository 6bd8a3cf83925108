/* The Win32 floor the benchmark measures Vorpane.EXE against: what listing a
 * cache must cost at the least on one thread, under the program's rule.
 * Reads cache.ini whole; for every line with a key, opens KEY.uxx for
 * reading as the program does (others may read it, no one may write it),
 * takes its size and times and closes it.
 *
 * With --enumerate, the limit another rule would reach: one enumeration of
 * the folder (basic information, large fetch), each listed key then looked
 * up among the names found. A file being written would be listed too, which
 * is why the program opens each one instead.
 *
 * With --open-found, the program's rule again, but only the listed files the
 * enumeration found are opened: under Wine, a file that is not there costs
 * a search through the whole folder, since its names may differ in case.
 *
 *   vorpane_win32_floor [--enumerate | --open-found] CACHE_FOLDER
 *       prints the rows found and the time it took, in ms
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static char* ReadWhole(const char* path, DWORD* size) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return NULL;
    }
    const DWORD length = GetFileSize(file, NULL);
    char* bytes = malloc((size_t)length + 1);
    DWORD got = 0;
    if (bytes == NULL || !ReadFile(file, bytes, length, &got, NULL)) {
        free(bytes);
        bytes = NULL;
    }
    CloseHandle(file);
    *size = got;
    return bytes;
}

static int CompareNames(const void* a, const void* b) {
    return _stricmp(*(char* const*)a, *(char* const*)b);
}

/* The names of the files in `folder`, sorted without regard to case. */
static char** EnumerateFolder(const char* folder, size_t* count) {
    char pattern[MAX_PATH];
    snprintf(pattern, sizeof pattern, "%s\\*", folder);
    size_t capacity = 1024;
    char** names = malloc(capacity * sizeof *names);
    *count = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileExA(pattern, FindExInfoBasic, &found, FindExSearchNameMatch, NULL,
                                     FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return names;
    }
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            continue;
        }
        if (*count == capacity) {
            capacity *= 2;
            names = realloc(names, capacity * sizeof *names);
        }
        names[(*count)++] = _strdup(found.cFileName);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    qsort(names, *count, sizeof *names, CompareNames);
    return names;
}

static BOOL OpenAndQuery(const char* path) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        return FALSE;
    }
    DWORD high = 0;
    FILETIME created, written;
    GetFileSize(file, &high);
    GetFileTime(file, &created, NULL, &written);
    CloseHandle(file);
    return TRUE;
}

int main(int argc, char** argv) {
    const int enumerate = argc == 3 && strcmp(argv[1], "--enumerate") == 0;
    const int openFound = argc == 3 && strcmp(argv[1], "--open-found") == 0;
    if (argc != 2 + enumerate + openFound) {
        fprintf(stderr, "usage: vorpane_win32_floor [--enumerate | --open-found] CACHE_FOLDER\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, stop;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    const char* folder = argv[argc - 1];
    char path[MAX_PATH];
    snprintf(path, sizeof path, "%s\\cache.ini", folder);
    DWORD size = 0;
    char* index = ReadWhole(path, &size);
    if (index == NULL) {
        fprintf(stderr, "vorpane_win32_floor: cannot read %s\n", path);
        return 1;
    }
    size_t found = 0, rows = 0;
    char** names = enumerate || openFound ? EnumerateFolder(folder, &found) : NULL;
    const size_t folderLength = strlen(folder) + 1; /* and the backslash */
    for (char* line = index; line < index + size;) {
        char* end = memchr(line, '\n', (size_t)(index + size - line));
        if (end == NULL) {
            end = index + size;
        }
        const char* equals = memchr(line, '=', (size_t)(end - line));
        const size_t keyLength = equals == NULL ? 0 : (size_t)(equals - line);
        if (keyLength > 0 && folderLength + keyLength + 5 <= sizeof path) {
            memcpy(path + folderLength, line, keyLength);
            memcpy(path + folderLength + keyLength, ".uxx", 5);
            const char* name = path + folderLength;
            if (names == NULL) {
                rows += OpenAndQuery(path);
            } else if (bsearch(&name, names, found, sizeof *names, CompareNames) != NULL) {
                rows += enumerate || OpenAndQuery(path);
            }
        }
        line = end + 1;
    }
    QueryPerformanceCounter(&stop);
    printf("%lu %.1f\n", (unsigned long)rows,
           (double)(stop.QuadPart - start.QuadPart) * 1000.0 / (double)frequency.QuadPart);
    return 0;
}
