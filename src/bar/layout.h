// The geometry of the tag buttons on the bar: the 100-twip grid and the
// clamp of a button's position or size to the bar.
#pragma once

#include <cstdint>
#include <string>

// The nearest line of the 100-twip grid, halves to the even line.
std::int16_t SnapToGrid(std::int16_t value);
// Keeps a button's `text` value ("Left", "Top", "Width" or "Height"; any
// other raises kInvalidCall) inside the bar that ends at `limit`, then snaps
// it to the grid.
std::int16_t ClampToBar(std::int16_t limit, std::int16_t minimum,
                        std::int16_t position, std::int16_t size,
                        const std::wstring& text);
