#pragma once
// Ctrl-C and the end of a session stop a run of photo writes cleanly: the
// photo being written is finished, the rest are left alone, and the summary
// is printed. A file size limit makes a write fail instead of ending the
// process in the middle of it.

namespace vantora::cli {

// Installs the handlers once for the whole process.
void installStopHandlers();

// True once Ctrl-C, SIGINT or SIGTERM (a console close on Windows) came.
bool stopRequested();

}  // namespace vantora::cli
