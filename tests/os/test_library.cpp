extern "C" int OsTestAnswer() { return 42; }
