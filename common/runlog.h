// The run's log, when /LOG=<file> names one: one line per step, each
// starting with the local time. Without a log every call does nothing. Lines
// come from one thread at a time (the entry, then the run), so no lock.
#pragma once
#include <windows.h>

namespace runlog {

// Starts a new log at path. A file of that name is deleted first: one that a
// user made in advance would stay theirs to rewrite, and a link or a second
// name would lead the lines into another file. The new file only
// administrators and SYSTEM can change. False, with no log, when path is no
// plain file on a disk, a folder on its way is a link, or it cannot be
// written: the run goes on without one.
bool open(const char* path);
// Continues the log whose handle this process inherited, when it is a plain
// file on a disk; a handle that is not is left alone.
bool adopt(HANDLE inherited);
void close();
bool isOpen();
// The open log's handle, for a process started next to inherit; null when
// there is no log.
HANDLE handle();

// One line: the time, then the formatted text with its line breaks made
// spaces. A line too long for the buffer is cut, never overrun.
void write(const char* format, ...);

// A step's line: its name and "done", or "failed" and the error report.
// Returns result, so a step reads: if (!runlog::step(name, doIt())) ...
int step(const char* name, int result);

}  // namespace runlog
