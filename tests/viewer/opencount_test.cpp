// opencount_test.cpp: an open(2) that counts the calls on one path, so
// tests can tell whether the text or the index file was touched at all.
// It forwards to the C library's open; nothing else changes.
#include <fcntl.h>
#include <stdarg.h>

#include "real.h"
#include "viewertest.h"

// Plain arrays: open can be called before any constructor has run.
static char watched_path[4096];
static int watched_count;

void WatchOpens(const std::string &path) {
    snprintf(watched_path, sizeof watched_path, "%s", path.c_str());
    watched_count = 0;
}

int OpenCount() { return watched_count; }

extern "C" int open(const char *path, int flags, ...) {
    static auto real_open = testutil::RealFunction<int (*)(const char *, int, ...)>("open");
    mode_t mode = 0;
    if (flags & (O_CREAT | O_TMPFILE)) {
        va_list ap;
        va_start(ap, flags);
        mode = static_cast<mode_t>(va_arg(ap, int));
        va_end(ap);
    }
    if (watched_path[0] && strcmp(path, watched_path) == 0) watched_count++;
    return real_open(path, flags, mode);
}

TEST(OpenCount, CountsOnlyTheWatchedPath) {
    testutil::TempDir dir;
    testutil::WriteFile(dir / "a", "x");
    testutil::WriteFile(dir / "b", "y");
    WatchOpens(dir / "a");
    for (const char *name : {"a", "b", "a"}) {
        int fd = open((dir / name).c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        close(fd);
    }
    EXPECT_EQ(OpenCount(), 2);
    WatchOpens("");
}
