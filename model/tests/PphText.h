#pragma once
// A whole table of sunshine factors as a .pph file holds it: 24 lines of 12 numbers, January
// and February at 00:00 0.5 and 0.25, every other factor 0. Line (counted from 1) holds text
// instead, when given.

#include <string>

inline std::string SmallPph(int line = 0, const std::string& text = "") {
    std::string pph;
    for (int h = 0; h < 24; ++h) {
        if (h + 1 == line)
            pph += text;
        else if (h == 0)
            pph += "0.5 0.25 0 0 0 0 0 0 0 0 0 0";
        else
            pph += "0 0 0 0 0 0 0 0 0 0 0 0";
        pph += "\r\n";
    }
    return pph;
}
