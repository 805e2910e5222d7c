// Answers the messages this thread shows and keeps their title and text: a plain message box
// keeps its text in control 0xFFFF, the system's message dialog in control 103.
#pragma once

#include "test_support.h"

#include <string>
#include <vector>

struct ShownMessages {
    std::vector<std::string> texts;
    kt::DialogAnswerer answerer{IDOK, [this](HWND dialog) {
                                    char text[512] = "";
                                    if (!GetDlgItemTextA(dialog, 0xFFFF, text, sizeof text))
                                        GetDlgItemTextA(dialog, 103, text, sizeof text);
                                    texts.push_back(text);
                                }};
    std::string title(size_t i) const { return i < answerer.shown().size() ? answerer.shown()[i].title : ""; }
};
