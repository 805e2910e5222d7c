// A console tool has no one to answer a message box: while a MessageRelay lives, every message
// box and dialog the libraries show on this thread is closed at once and its text kept, so that
// the command can report it as its one-line error.
#pragma once

#include <windows.h>

#include <string>

namespace kelcli {

class MessageRelay {
public:
    MessageRelay();
    ~MessageRelay();
    MessageRelay(const MessageRelay&) = delete;
    MessageRelay& operator=(const MessageRelay&) = delete;
    // The text of the last box shown (empty when none was).
    const std::string& last() const { return last_; }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    std::string last_;
};

} // namespace kelcli
