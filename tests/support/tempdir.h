// A temporary folder for one test, removed with everything in it afterwards.
#pragma once

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return FPath; }
    // The full name of a file in the folder (not created).
    std::string File(const std::string& name) const;
    // Writes bytes to a file of the folder, replacing it; returns its full name.
    std::string Write(const std::string& name, const std::string& bytes) const;
    // The bytes of a file of the folder (or of a full path); empty when missing.
    std::string Read(const std::string& name) const;

private:
    std::string FPath;
};
