// ICS header and data files written by the tests.
#pragma once

#include "test_support.h"

#include <string>
#include <vector>

namespace ics_test {

// A header of tab-separated fields with the given lines after the version and filename lines.
inline std::string header(const std::vector<std::string>& lines)
{
    std::string text = "\t\nics_version\t1.0\nfilename\timage\n";
    for (const std::string& l : lines)
        text += l + "\n";
    return text;
}

// The common layout lines: parameters, order and sizes.
inline std::vector<std::string> layout(const std::string& order, const std::string& sizes, int parameters = 3)
{
    return {"layout\tparameters\t" + std::to_string(parameters), "layout\torder\t" + order, "layout\tsizes\t" + sizes};
}

// Writes NAME.ics and (unless `data` is null) NAME.ids; returns the header's path.
inline std::string write(const kt::TempDir& dir, const std::string& name, const std::string& text,
                         const std::vector<uint8_t>* data)
{
    const std::string path = dir.file(name + ".ics");
    kt::writeFile(path, std::vector<uint8_t>(text.begin(), text.end()));
    if (data)
        kt::writeFile(dir.file(name + ".ids"), *data);
    return path;
}

} // namespace ics_test
