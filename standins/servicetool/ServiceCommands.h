#pragma once

// The tool's commands on the service. Each returns true on success.

// "-i": registers the service (this tool, started in service mode) or
// points an existing registration at this tool, and starts it.
bool InstallService();

// "-k": stops the service and waits, bounded, until it has stopped (not
// where AV_STANDIN_STOP_AT_ONCE is set). A service that is not running
// counts as stopped.
bool StopService();

// "-u": deletes the service; the SCM removes it once it has stopped.
bool RemoveService();
