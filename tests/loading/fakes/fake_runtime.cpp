// The C runtime the fake ACPI library needs (file and soname "msvcr100.dll").
extern "C" int FakeRuntimeValue() { return 2; }
