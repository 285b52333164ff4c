#include "tests/gui/GuiSupport.h"

int main(int argc, char** argv) { return gui::RunTestsInHost(argc, argv); }
