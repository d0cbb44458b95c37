// LeakSanitizer settings of the targets under libFuzzer: the font
// configuration library keeps blocks of its cache for the whole process (for
// the fonts of text drawn in metafiles among them); they are not ours. The
// seeds' replay and the test programs suppress the same in their mains.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
