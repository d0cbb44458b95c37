// Writes the libFuzzer dictionary of the RTF target: every control word of the
// parser's table with its backslash, and the bytes that structure RTF.
#include <cstdio>
#include <string>

#include "rtf/rvrtfkeywords.h"

namespace {

std::string Quoted(const std::string& bytes)
{
    std::string out = "\"";
    for (unsigned char c : bytes) {
        if (c == '\\' || c == '"') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    FILE* out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    for (int i = 0; i < RVRTFKeywordCount; ++i)
        std::fprintf(out, "%s\n", Quoted(std::string("\\") + RVRTFKeywords[i].Keyword).c_str());
    for (const char* extra : {"{\\rtf1", "{\\*", "\\'", "}", "{", ";", " 0123456789abcdef", "INCLUDEPICTURE",
                              "SYMBOL", "HYPERLINK", "\\\\f \"", "\\\\s "})
        std::fprintf(out, "%s\n", Quoted(extra).c_str());
    return std::fclose(out) == 0 ? 0 : 1;
}
