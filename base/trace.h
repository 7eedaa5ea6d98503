#pragma once

// Diagnostic lines for support staff. Each call formats like printf, appends
// CR LF and writes the line to standard error when the environment variable
// RESIDUE_TRACE is set; otherwise the line is dropped. Safe on any thread;
// lines from different threads never interleave.

void Trace(const char16_t* format, ...);  // "%s" takes a char16_t text
void TraceA(const char* format, ...);     // 8-bit form, "%s" takes a char text

// Whether trace lines are written at all (read once from the environment).
bool TraceEnabled();
