// Real programs that tests check our HTML and pictures against: headless
// Chromium (computed styles of a page, reported by the page's own script), the
// HTML checkers tidy and html5lib, ImageMagick's identify, LibreOffice's
// converter and fontconfig's font list. Each test skips when its program is
// not installed.
#pragma once

#include <map>
#include <string>
#include <vector>

// Whether headless Chromium is installed (/usr/bin/chromium).
bool ChromiumAvailable();

// Opens PageFile (a full path) in headless Chromium with a fresh profile in a
// folder of its own under WorkDir, lets the page's scripts run and returns the
// text of the page's element <pre id="out">, entities decoded. The page's
// script is expected to fill that element. Empty when Chromium could not run
// or the page has no such element. No network, no first-run or background
// services, and ended when it stands still (as RunCommand ends a command).
std::string ChromiumRunPage(const std::string& PageFile, const std::string& WorkDir);

// "key=value" lines as a map; the values of a repeated key are joined with "|".
std::map<std::string, std::string> ParseKeyValueLines(const std::string& Text);

// Runs a shell command and returns what it printed on standard output; the
// exit status goes to ExitStatus (-1 when the command could not be run, or
// stood still for WaitDeadlineMs, see ProgramProgress, and was ended with
// all it had started).
std::string RunCommand(const std::string& Command, int& ExitStatus);

// Whether an executable exists at Path.
bool ProgramAvailable(const std::string& Path);

// A python3 that has html5lib (the system's own, where another comes first
// on the path); empty when there is none.
std::string PythonWithHTML5Lib();

// Whether LibreOffice is installed (/usr/bin/soffice).
bool LibreOfficeAvailable();

// Converts Files (full paths, or names in WorkDir) with headless LibreOffice
// to ConvertTo ("txt:Text (encoded):UTF8", "rtf:Rich Text Format", "html",
// ...), each into OutDir under its own name with the new extension. It runs in
// WorkDir with a user profile of its own in WorkDir/profile, for five minutes
// at the most a try, and is tried up to three times. True when LibreOffice
// reported success; what it printed on the last failure goes to stderr.
bool LibreOfficeConvert(const std::string& WorkDir, const std::string& ConvertTo, const std::string& OutDir,
                        const std::vector<std::string>& Files);

// Text without the UTF-8 byte-order mark it may start with (LibreOffice's
// text files have one).
std::string WithoutByteOrderMark(std::string Text);

// Whether fontconfig lists every one of the font families.
bool FontFamiliesInstalled(const std::vector<std::string>& Families);

// The family fontconfig matches for Family (fixed pitch asked with Mono), as
// fc-match names it; empty when fc-match is not installed.
std::string FontConfigMatch(const std::string& Family, bool Mono);
