#pragma once

// Appends this process's full command line, as one UTF-8 line, to the file
// named by AV_STANDIN_LOG. Tests set the variable to see how the installer
// started us; without it nothing is written. `tag` goes before the line.
void LogCommandLine(const char* tag = "");
