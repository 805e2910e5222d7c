// Requests for work done by parts of the program that it does not have yet (image windows,
// thumbnail views, catalog building, ...). Such a request is never dropped silently: it is
// recorded here and the status bar says that the command is not available.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kelapp {

struct PendingRequest {
    UINT command;       // the command (or 0 for a request that is no command)
    std::string detail; // what it was asked for: a file, a catalog, a message
};

// Records the request and shows the "not available" status text.
void requestNotAvailable(UINT command, const std::string& detail = {});

// The requests recorded so far, oldest first (any thread).
std::vector<PendingRequest> pendingRequests();
void clearPendingRequests();

} // namespace kelapp
