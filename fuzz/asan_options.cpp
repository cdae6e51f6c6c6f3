// AddressSanitizer settings every fuzz target starts with (ASAN_OPTIONS still overrides
// them). A run's allocations are freed within that run, and a 16 MB quarantine holds far
// more than one run frees, so a use after free is still caught; the default 256 MB only
// makes every run touch pages it has not touched for a long while, and the page faults
// took more time than the parsers themselves.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=16";
}
