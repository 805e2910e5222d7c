// The strings of an XPM text, one after another, in either of its two forms.
#pragma once

#include <cstddef>
#include <string_view>

namespace xpmlib {

class XpmText {
public:
    // Recognises the form from the text's start; valid() is false for a text of neither form.
    XpmText(const char* text, size_t size);
    bool valid() const { return form_ != Form::None; }

    // The next string; false when there is none (end of the text, the closing brace, or a
    // string without its closing quote).
    bool next(std::string_view* s);

private:
    enum class Form { None, C, Xpm2 };
    bool nextQuoted(std::string_view* s);
    bool nextLine(std::string_view* s);
    void skipComment();

    std::string_view text_;
    size_t pos_ = 0;
    Form form_ = Form::None;
};

} // namespace xpmlib
