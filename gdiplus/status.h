// GDI+ for the whole process: starting and stopping it, the status of the
// most recent call made through any wrapper, and the number of native
// objects the wrappers own (so that tests can prove nothing is left behind).
#pragma once

#include <windows.h>

// The COM declarations GDI+ needs (IStream, PROPID) come before it.
#include <objidl.h>

#include <gdiplus.h>

namespace qelvo::gdiplus {

// Status of the most recent flat call made through any wrapper, of any
// class and from any thread; with several threads drawing it is whichever
// call finished last.
Gdiplus::Status last_status();

// Native GDI+ objects that wrappers currently own.
long live_objects();

// Starts GDI+ 1.0 for the process. Returns the token for shutdown, or 0
// when GDI+ could not start.
ULONG_PTR startup();
// Stops GDI+; a token of 0 (a failed start) does nothing. Every wrapper
// must have given up its object before: GDI+ cannot delete it afterwards.
void shutdown(ULONG_PTR token);

namespace detail {

// Stores the status of a flat call; true when it is Ok.
bool record(Gdiplus::Status status);

// A wrapper has taken ownership of a native object, or given one up.
void count_created();
void count_deleted();

}  // namespace detail
}  // namespace qelvo::gdiplus
