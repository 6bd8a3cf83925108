/* The game finishing downloads beside Vorpane, run under Wine: after each
   download, a new Cache\<key>.uxx, then cache.ini read from disk as it is
   now (every key=name line kept, whoever wrote it), its new line added, and
   the file rewritten whole the way the game does it: truncated, then the
   text in small pieces with short sleeps, and once, at a point of the text
   chosen at random, a pause of <stall> ms: the game descheduled while it
   writes. A file another program holds is waited for. Each line added is
   printed once its file is written.

   usage: game_writer <cache folder> <downloads> <seed> <stall> */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static unsigned long long state;

static unsigned Below(unsigned n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return (unsigned)(state >> 33) % n;
}

static void Check(BOOL done, const char* what, const wchar_t* path) {
    if (!done) {
        fprintf(stderr, "game_writer: cannot %s %ls: error %lu\n", what, path, GetLastError());
        exit(1);
    }
}

/* Waits (up to about 30 s) while another program holds the file, as the
   game would have to. */
static HANDLE Open(const wchar_t* path, DWORD access, DWORD share, DWORD how) {
    HANDLE file;
    for (int tries = 0;
         (file = CreateFileW(path, access, share, NULL, how, 0, NULL)) == INVALID_HANDLE_VALUE &&
         GetLastError() == ERROR_SHARING_VIOLATION && tries < 3000;
         ++tries) {
        Sleep(5 + Below(10));
    }
    Check(file != INVALID_HANDLE_VALUE, "open", path);
    return file;
}

static char old[1 << 20], text[2 * sizeof old + 128];

int wmain(int argc, wchar_t** argv) {
    if (argc != 5)
        return 2;  // see usage above
    state = (unsigned long long)_wtoi64(argv[3]);
    wchar_t index[MAX_PATH], download[MAX_PATH];
    swprintf(index, MAX_PATH, L"%ls\\cache.ini", argv[1]);
    for (int i = 1; i <= _wtoi(argv[2]); ++i) {
        char line[96];
        snprintf(line, sizeof line, "%08X%08X%08X%08X=Held%02d-SomeLongerPackageName.unr",
                 Below(~0u), Below(~0u), Below(~0u), Below(~0u), i);
        swprintf(download, MAX_PATH, L"%ls\\%.32hs.uxx", argv[1], line);
        HANDLE file = Open(download, GENERIC_WRITE, 0, CREATE_NEW);
        DWORD size = 0;
        Check(WriteFile(file, old, 1000 + Below(9000), &size, NULL), "write", download);
        CloseHandle(file);

        file = Open(index, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
        Check(ReadFile(file, old, sizeof old - 1, &size, NULL), "read", index);
        CloseHandle(file);
        old[size] = '\0';
        int length = sprintf(text, "[Cache]\r\n");
        for (char *at = old, *end; *at; at = end + (*end != '\0')) {
            end = at + strcspn(at, "\n");
            const int kept = (int)(end - at) - (end > at && end[-1] == '\r');
            if (kept > 0 && *at != '=' && memchr(at, '=', kept)) {
                length += sprintf(text + length, "%.*s\r\n", kept, at);
            }
        }
        length += sprintf(text + length, "%s\r\n\r\n", line);

        const int stallAt = (int)Below((unsigned)length);
        file = Open(index, GENERIC_WRITE, 0, CREATE_ALWAYS);
        for (int done = 0, piece; done < length; done += piece) {
            piece = min(3 + (int)Below(48), length - done);
            Check(WriteFile(file, text + done, piece, &size, NULL), "write", index);
            Sleep(done < stallAt && done + piece >= stallAt ? (DWORD)_wtoi(argv[4]) : 1 + Below(5));
        }
        CloseHandle(file);
        printf("%s\n", line);
        fflush(stdout);
        Sleep(100 + Below(300));
    }
    return 0;
}
