#pragma once
// The agent holds the customer's password, and card data while a purchase is sent. A core
// file of a crashed agent would keep them on disk, readable by whoever finds it, and a
// debugger of the same user could read them from the running process.

namespace qk::platform {

// Turns off core files (core size limit 0) and, on Linux, marks the process as not
// dumpable, which also keeps other processes of the same user from reading its memory.
// False when the system refused either step.
bool disableCoreDumps();

}  // namespace qk::platform
