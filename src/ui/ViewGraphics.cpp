#include "ui/ViewGraphics.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>

#include <algorithm>
#include <cctype>
#include <string>

bool IsSoftwareRenderer(std::string_view renderer) {
    std::string lower(renderer);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char ch) { return static_cast<char>(std::tolower(ch)); });
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "software rasterizer", "swiftshader"}) {
        if (lower.find(name) != std::string::npos) {
            return true;
        }
    }
    return false;
}

void ChooseViewGraphics() {
    static bool chosen = false;
    if (chosen || qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) {
        return;
    }
    chosen = true;
    QOffscreenSurface surface;
    surface.create();
    QOpenGLContext context;
    if (!context.create() || !context.makeCurrent(&surface)) {
        return;  // no OpenGL at all: the toolkit finds its own way
    }
    const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const bool software = renderer != nullptr && IsSoftwareRenderer(renderer);
    context.doneCurrent();
    if (software) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    }
}
