#include "ui/UiImage.h"

#include <QSize>
#include <array>
#include <utility>

namespace {
struct CImageFile {
    UiImage m_image;
    const char* m_pszCold;
    const char* m_pszHot;  // null: no hot variant
};

constexpr std::array<CImageFile, static_cast<size_t>(UiImage::Count)> kFiles = {{
    {UiImage::New, ":/ui/new.png", nullptr},
    {UiImage::Open, ":/ui/open.png", nullptr},
    {UiImage::Save, ":/ui/save.png", nullptr},
    {UiImage::Print, ":/ui/print.png", ":/ui/print-hot.png"},
    {UiImage::Run, ":/ui/run.png", nullptr},
    {UiImage::Pause, ":/ui/pause.png", nullptr},
    {UiImage::Abort, ":/ui/abort.png", nullptr},
    {UiImage::Properties, ":/ui/properties.png", nullptr},
    {UiImage::ThreadBar, ":/ui/threadbar.png", nullptr},
    {UiImage::Back, ":/ui/back.png", ":/ui/back-hot.png"},
    {UiImage::Forward, ":/ui/forward.png", ":/ui/forward-hot.png"},
    {UiImage::Home, ":/ui/home.png", ":/ui/home-hot.png"},
    {UiImage::Stop, ":/ui/stop.png", ":/ui/stop-hot.png"},
    {UiImage::Refresh, ":/ui/refresh.png", ":/ui/refresh-hot.png"},
    {UiImage::Size, ":/ui/size.png", ":/ui/size-hot.png"},
    {UiImage::Phase0, ":/ui/phase0.png", nullptr},
    {UiImage::Phase1, ":/ui/phase1.png", nullptr},
    {UiImage::Phase2, ":/ui/phase2.png", nullptr},
    {UiImage::Phase3, ":/ui/phase3.png", nullptr},
    {UiImage::Wizard, ":/ui/wizard.png", nullptr},
    {UiImage::Splash, ":/ui/splash.png", nullptr},
    {UiImage::Program16, ":/ui/quobrix-16.png", nullptr},
    {UiImage::Program24, ":/ui/quobrix-24.png", nullptr},
    {UiImage::Program32, ":/ui/quobrix-32.png", nullptr},
    {UiImage::Program48, ":/ui/quobrix-48.png", nullptr},
    {UiImage::Program64, ":/ui/quobrix-64.png", nullptr},
    {UiImage::Program128, ":/ui/quobrix-128.png", nullptr},
    {UiImage::Program256, ":/ui/quobrix-256.png", nullptr},
}};

// The table is in the enum's order, so that an image is found by its value.
constexpr bool InEnumOrder() {
    for (size_t index = 0; index < kFiles.size(); ++index) {
        if (static_cast<size_t>(kFiles[index].m_image) != index) {
            return false;
        }
    }
    return true;
}
static_assert(InEnumOrder(), "kFiles lists the images in the enum's order");

const CImageFile& FileOf(UiImage image) {
    return kFiles.at(static_cast<size_t>(image));
}

constexpr std::pair<UiImage, int> kProgramSizes[] = {
    {UiImage::Program16, 16},   {UiImage::Program24, 24}, {UiImage::Program32, 32},
    {UiImage::Program48, 48},   {UiImage::Program64, 64}, {UiImage::Program128, 128},
    {UiImage::Program256, 256},
};
}  // namespace

QString UiImagePath(UiImage image) {
    return QLatin1String(FileOf(image).m_pszCold);
}

QString UiHotImagePath(UiImage image) {
    const char* hot = FileOf(image).m_pszHot;
    return hot != nullptr ? QString(QLatin1String(hot)) : QString();
}

QIcon UiIcon(UiImage image) {
    QIcon icon(UiImagePath(image));
    const QString hot = UiHotImagePath(image);
    if (!hot.isEmpty()) {
        icon.addFile(hot, QSize(), QIcon::Active);
    }
    return icon;
}

QIcon UiProgramIcon() {
    QIcon icon;
    for (const auto& [image, size] : kProgramSizes) {
        icon.addFile(UiImagePath(image), QSize(size, size));
    }
    return icon;
}
