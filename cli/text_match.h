// Matching what a user types against catalog names: without regard to case
// or to full-width and half-width forms ("ＰＯＰ", "pop" and "Pop" match;
// half-width "ｶﾞ" matches "ガ").
//
// Thread rules: pure functions; any thread.
#pragma once
#include <string>
#include <string_view>

namespace sonavex::cli {

// The folded form of UTF-8 text (compatibility forms composed, case folded);
// bytes that are not UTF-8 fold to the replacement character.
std::string FoldForMatch(std::string_view utf8);

// True when both texts fold to the same form.
bool SameName(std::string_view typed, std::string_view name);

}  // namespace sonavex::cli
