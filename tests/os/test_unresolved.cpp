extern "C" int OsTestNowhere();  // defined by no library
extern "C" int OsTestCallsNowhere() { return OsTestNowhere(); }
