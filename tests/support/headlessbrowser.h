// Real programs that tests check our HTML and pictures against: headless
// Chromium (computed styles of a page, reported by the page's own script), the
// HTML checkers tidy and html5lib, and ImageMagick's identify. Each test skips
// when its program is not installed.
#pragma once

#include <map>
#include <string>

// Whether headless Chromium is installed (/usr/bin/chromium).
bool ChromiumAvailable();

// Opens PageFile (a full path) in headless Chromium with a fresh profile in a
// folder of its own under WorkDir, lets the page's scripts run and returns the
// text of the page's element <pre id="out">, entities decoded. The page's
// script is expected to fill that element. Empty when Chromium could not run
// or the page has no such element. No network, no first-run or background
// services, and a time limit of two minutes.
std::string ChromiumRunPage(const std::string& PageFile, const std::string& WorkDir);

// "key=value" lines as a map; the values of a repeated key are joined with "|".
std::map<std::string, std::string> ParseKeyValueLines(const std::string& Text);

// Runs a shell command and returns what it printed on standard output; the
// exit status goes to ExitStatus (-1 when the command could not be run).
std::string RunCommand(const std::string& Command, int& ExitStatus);

// Whether an executable exists at Path.
bool ProgramAvailable(const std::string& Path);
