#pragma once

#include <string>
#include <string_view>
#include <vector>

// The command-line rule the console tools share.
namespace qvasm::SwitchRule {

// An argument starting with "/" is a switch unless it holds another "/" or a ".", which make it
// a path. A switch whose letter is in bracedLetters takes a value in braces ("/i{DIR}") and is a
// switch whatever that value holds.
bool isSwitch(const std::string &arg, std::string_view bracedLetters);

// The value in braces of the switch at args[i] (empty for a switch of two characters): a value
// with blanks that arrived split over several arguments is joined again up to its "}", and i
// moves on to the last argument taken. closed says whether a "}" ended it.
std::string bracedValue(const std::vector<std::string> &args, size_t &i, bool &closed);

} // namespace qvasm::SwitchRule
