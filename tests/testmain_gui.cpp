// The widget tests' main: the same main inside a QApplication.
#define SUMBRIX_TEST_GUI
#include "testmain.cpp"
