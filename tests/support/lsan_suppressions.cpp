// Built into every test program: fontconfig keeps what it parsed from its
// configuration files until the process ends, which the leak checker of the
// sanitised build would otherwise report as a leak.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
