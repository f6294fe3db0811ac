#pragma once

// The browser view's five text sizes: 0 smallest, 1 smaller, 2 medium,
// 3 larger, 4 largest. The view shows them as page zoom.

inline constexpr int kTextSizeCount = 5;

// Zoom factor of a size (medium is 1.0); a size out of range counts as the
// nearest one.
double ZoomFactorOfTextSize(int textSize);

// The Size button's step: one larger, and smallest after largest (or after
// any value out of range that a hand-edited store may hold).
int NextTextSize(int textSize);
