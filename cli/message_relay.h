// A console tool has no one to answer a message box: while a MessageRelay lives, every message
// box and dialog the libraries show on this thread is answered at once and its text kept, so that
// the command can report it as its one-line error. By default a box is cancelled (or, having no
// Cancel, closed with OK); a command that wants the libraries to go on passes IDOK. A command
// that succeeds in spite of warnings asks for each text to be echoed on stderr as it appears.
#pragma once

#include <windows.h>

#include <string>

namespace kelcli {

class MessageRelay {
public:
    explicit MessageRelay(int answer = 0, bool echo = false);
    ~MessageRelay();
    MessageRelay(const MessageRelay&) = delete;
    MessageRelay& operator=(const MessageRelay&) = delete;
    // The text of the last box shown (empty when none was).
    const std::string& last() const { return last_; }

private:
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_;
    int answer_;
    bool echo_;
    std::string last_;
};

} // namespace kelcli
