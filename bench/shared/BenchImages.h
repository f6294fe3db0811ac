#pragma once

#include <cstdint>
#include <string>

// Small valid image files made in code, so the bench's site needs no
// download. The pixels come from seed; the same arguments give the same bytes.

// An RGB PNG, its pixel rows kept uncompressed (stored deflate blocks).
std::string PngImage(int width, int height, uint64_t seed);

// A GIF89a with a 16-colour palette, its codes written without compression
// (a clear code every few pixels keeps every code 5 bits wide).
std::string GifImage(int width, int height, uint64_t seed);
