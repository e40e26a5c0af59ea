// Leak checking under the sanitizers: fontconfig 2.14 loses a few bytes
// while it parses its configuration, which is none of ours.
extern "C" __attribute__((visibility("default"))) const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
