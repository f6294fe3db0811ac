#include "ui/TextSizeSteps.h"

#include <algorithm>
#include <array>

namespace {

// Steps of about a sixth around 1.0: small enough that each one reads as
// "a little larger", wide enough that the five are told apart.
constexpr std::array<double, kTextSizeCount> kZoomFactors = {0.7, 0.85, 1.0, 1.2, 1.45};

}  // namespace

double ZoomFactorOfTextSize(int textSize) {
    return kZoomFactors[std::clamp(textSize, 0, kTextSizeCount - 1)];
}

int NextTextSize(int textSize) {
    if (textSize < 0 || textSize >= kTextSizeCount - 1) {
        return 0;
    }
    return textSize + 1;
}
