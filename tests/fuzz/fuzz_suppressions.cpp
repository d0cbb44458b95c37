// LeakSanitizer settings of the targets under libFuzzer: the font
// configuration library keeps blocks for the whole process (what it read of
// its configuration, and the fallback patterns the toolkit's fonts match
// through it, for the fonts of text drawn in metafiles among them); they are
// not ours. The seeds' replay and the test programs suppress the same in
// their mains.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
