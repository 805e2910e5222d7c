// A console tool has no one to answer message boxes: while this object lives, every dialog the
// current thread shows is printed on stderr ("kelcli: <text>") and answered with OK.
#pragma once

#include <windows.h>

namespace kelcli {

class MessagesToStderr {
public:
    MessagesToStderr();
    ~MessagesToStderr();
    MessagesToStderr(const MessagesToStderr&) = delete;
    MessagesToStderr& operator=(const MessagesToStderr&) = delete;

private:
    HHOOK hook_;
};

} // namespace kelcli
