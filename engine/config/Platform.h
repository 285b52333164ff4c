#pragma once

// Process-wide platform flags, 0 or 1. Start-up sets them once, before any
// worker thread exists; everything else only reads them.
extern int IsWow64;  // a 32-bit process on 64-bit Windows
extern int IsNt6;    // Windows NT 6 (Vista, 7): the service model

// Asks Windows whether this process runs under WOW64. IsWow64Process is
// looked up at run time: Windows before XP SP2 does not have it.
int DetectWow64();

// 1 exactly on the NT platform with major version 6.
int IsNt6Platform();
int IsNt6Version(unsigned long platformId, unsigned long majorVersion);
