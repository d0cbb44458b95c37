// A limit on the size of the files the test process writes, for a scope: a
// write past it fails as a write to a full disk does, with the system's
// reason (EFBIG, "File too large"), whoever runs the test, root too.
#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

// The limit holds for the whole process: a test writes nothing else while it
// does. SIGXFSZ, which the system sends with the failure, is ignored meanwhile.
class TFileSizeLimit {
public:
    explicit TFileSizeLimit(rlim_t bytes)
    {
        FOldHandler = ::signal(SIGXFSZ, SIG_IGN);
        EXPECT_EQ(::getrlimit(RLIMIT_FSIZE, &FOld), 0);
        struct rlimit limit = FOld;
        limit.rlim_cur = bytes;
        EXPECT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    ~TFileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &FOld);
        ::signal(SIGXFSZ, FOldHandler);
    }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

private:
    struct rlimit FOld {};
    sighandler_t FOldHandler;
};
