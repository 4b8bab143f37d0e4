#pragma once
// Integer maximum and minimum.

inline int MaxInteger(int a, int b) {
    return a > b ? a : b;
}

inline int MinInteger(int a, int b) {
    return a < b ? a : b;
}
