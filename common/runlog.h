// The run's log, when /LOG=<file> names one: one line per step, each
// starting with the local time. Without a log every call does nothing. Lines
// come from one thread at a time (the entry, then the run), so no lock.
#pragma once
#include <windows.h>

namespace runlog {

// Opens the log, emptied or, with append, continued after what is there.
// False when it cannot be written: the run goes on without one.
bool open(const char* path, bool append);
void close();
bool isOpen();

// One line: the time, then the formatted text with its line breaks made
// spaces. A line too long for the buffer is cut, never overrun.
void write(const char* format, ...);

// A step's line: its name and "done", or "failed" and the error report.
// Returns result, so a step reads: if (!runlog::step(name, doIt())) ...
int step(const char* name, int result);

}  // namespace runlog
