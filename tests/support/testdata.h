// Files of the test data folder (tests/ in the source tree).
#pragma once

#include <cstdlib>
#include <string>

// The full name of a file under tests/, e.g. TestDataPath("fixtures/compstream/x.bin").
inline std::string TestDataPath(const std::string& relative)
{
    const char* root = std::getenv("KELVOR_TEST_DATA");
    return std::string(root ? root : ".") + "/" + relative;
}
