#include "app/GraphicsBackend.h"

#include <cstring>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QQuickWindow>
#include <QSGRendererInterface>

bool isSoftwareRenderer(const char* rendererName)
{
    if (!rendererName)
        return false;
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
        if (std::strstr(rendererName, software))
            return true;
    return false;
}

void chooseSceneGraphBackend()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    QOpenGLContext context;
    if (!context.create()) {
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
        return;
    }
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface))
        return;
    const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const bool software = isSoftwareRenderer(renderer);
    context.doneCurrent();
    if (software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}
