// The font configuration library keeps a few allocations for the life of the process; the
// leak checker of the sanitized test build is told so. Linked into the benchmarks that
// draw text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\n";
}
