#pragma once
// Word splitting on texts. Words are maximal runs of characters not in a delimiter set;
// positions are 1-based. (Substring replacement is ReplaceAll in framework/core/SystemUtils.)

#include <string>
#include <string_view>

// A set of single-byte delimiter characters, given as the characters themselves.
using TCharSet = std::string_view;

int CountWords(std::string_view s, TCharSet delimiters);
// Position of the n-th word (1-based), 0 when there are fewer than n words.
int NthWordStart(int n, std::string_view s, TCharSet delimiters);
// The n-th word, empty when there are fewer than n words.
std::string NthWord(int n, std::string_view s, TCharSet delimiters);
