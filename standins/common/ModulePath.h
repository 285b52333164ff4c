#pragma once
#include <string>

// The full path of this program's executable.
std::wstring OwnPath();

// The folder of this program's executable, ending with a backslash: the
// files we need lie beside us.
std::wstring OwnFolder();
