#include "xpm_text.h"

namespace xpmlib {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

} // namespace

XpmText::XpmText(const char* text, size_t size) : text_(text, size)
{
    while (pos_ < text_.size() && isSpace(text_[pos_]))
        ++pos_;
    const std::string_view rest = text_.substr(pos_);
    if (rest.substr(0, 2) == "/*") {
        // XPM3: the first comment's first word is XPM.
        size_t p = 2;
        while (p < rest.size() && isSpace(rest[p]))
            ++p;
        const std::string_view word = rest.substr(p, 3);
        if (word == "XPM" && (p + 3 == rest.size() || isSpace(rest[p + 3]) || rest.substr(p + 3, 2) == "*/")) {
            skipComment();
            // The strings start after the array's opening brace.
            while (pos_ < text_.size() && text_[pos_] != '{') {
                if (text_.substr(pos_, 2) == "/*")
                    skipComment();
                else
                    ++pos_;
            }
            if (pos_ < text_.size()) {
                ++pos_;
                form_ = Form::C;
            }
        }
    } else if (rest.substr(0, 6) == "! XPM2") {
        const size_t eol = text_.find('\n', pos_);
        pos_ = eol == std::string_view::npos ? text_.size() : eol + 1;
        form_ = Form::Xpm2;
    }
}

void XpmText::skipComment()
{
    const size_t end = text_.find("*/", pos_ + 2);
    pos_ = end == std::string_view::npos ? text_.size() : end + 2;
}

bool XpmText::next(std::string_view* s)
{
    switch (form_) {
    case Form::C: return nextQuoted(s);
    case Form::Xpm2: return nextLine(s);
    case Form::None: break;
    }
    return false;
}

bool XpmText::nextQuoted(std::string_view* s)
{
    // Whatever stands between strings (commas, comments, line breaks) is passed over.
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '"') {
            const size_t end = text_.find('"', pos_ + 1);
            if (end == std::string_view::npos)
                break;
            *s = text_.substr(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
            return true;
        }
        if (c == '}')
            break;
        if (text_.substr(pos_, 2) == "/*")
            skipComment();
        else
            ++pos_;
    }
    pos_ = text_.size();
    return false;
}

bool XpmText::nextLine(std::string_view* s)
{
    while (pos_ < text_.size()) {
        size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos)
            end = text_.size();
        std::string_view line = text_.substr(pos_, end - pos_);
        pos_ = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (!line.empty() && line[0] == '!')
            continue;
        *s = line;
        return true;
    }
    return false;
}

} // namespace xpmlib
