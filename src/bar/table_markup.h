// The table button's markup: an empty HTML table of cols x rows cells and
// the counts the user may ask for.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "store/modPublic.h"

// The table markup for cols x rows cells shaped by TableMarkupSettings.
std::wstring BuildTableMarkup(std::int16_t cols, std::int16_t rows,
                              const modPublic::CellTable& settings);
// Whether an input box answer is an acceptable count (1..100 after rounding
// half to even); gives the count.
std::optional<std::int16_t> AcceptCount(const std::wstring& answer);
