// The main function of every test program: headless Qt unless a platform is
// chosen, the test data folder in KELVOR_TEST_DATA, then GoogleTest.
#include <gtest/gtest.h>

#include <cstdlib>

#ifndef KELVOR_TEST_DATA_DIR
#error "KELVOR_TEST_DATA_DIR must name the tests folder"
#endif

// LeakSanitizer: leaks of system libraries' own caches, never ours. The font
// configuration library keeps blocks of its cache for the whole process.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("KELVOR_TEST_DATA", KELVOR_TEST_DATA_DIR, 0);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
