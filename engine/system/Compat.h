#pragma once

// Marks a program path in the Program Compatibility Assistant's list under
// HKEY_CURRENT_USER, so Windows does not ask the user whether the program
// installed correctly. Returns the registry error code, 0 on success.
long MarkCompatibilityPersisted(const wchar_t* programPath);
