#include "app/GraphicsBackend.h"

#include <cstdio>
#include <cstring>
#include <optional>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QProcess>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include "platform/RendererChoice.h"

namespace {

// How long the driver may take to answer before software drawing is chosen.
constexpr int kProbeTimeoutMs = 10'000;

// Whether this process's OpenGL driver draws on the processor; nothing when
// no context can be made.
std::optional<bool> driverIsSoftware()
{
    QOpenGLContext context;
    if (!context.create())
        return std::nullopt;
    QOffscreenSurface surface;
    surface.setFormat(context.format());
    surface.create();
    if (!context.makeCurrent(&surface))
        return std::nullopt;
    const auto* renderer = reinterpret_cast<const char*>(context.functions()->glGetString(GL_RENDERER));
    const bool software = isSoftwareRenderer(renderer);
    context.doneCurrent();
    return software;
}

// The driver's answer from a copy of the program started for the question
// alone. Without a working driver (no context, a crash, no answer in time)
// software drawing is the one that works.
bool softwareByProbe()
{
    QProcess probe;
    probe.start(QCoreApplication::applicationFilePath(), {QString::fromLatin1(kProbeRendererArgument)});
    if (!probe.waitForFinished(kProbeTimeoutMs)) {
        probe.kill();
        probe.waitForFinished();
        return true;
    }
    return probe.exitStatus() != QProcess::NormalExit || probe.readAllStandardOutput().trimmed() != "hardware";
}

} // namespace

bool isSoftwareRenderer(const char* rendererName)
{
    if (!rendererName)
        return false;
    for (const char* software : {"llvmpipe", "softpipe", "Software Rasterizer", "SWR"})
        if (std::strstr(rendererName, software))
            return true;
    return false;
}

int probeRenderer(int argc, char* argv[])
{
    QGuiApplication app(argc, argv);
    const std::optional<bool> software = driverIsSoftware();
    std::puts(!software ? "none" : *software ? "software" : "hardware");
    return 0;
}

void chooseSceneGraphBackend()
{
    if (qEnvironmentVariableIsSet("QT_QUICK_BACKEND") || qEnvironmentVariableIsSet("QSG_RHI_BACKEND"))
        return;
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        return;
    const std::string devices = RendererChoice::gpuDevices();
    bool software = true;  // no graphics device: every driver would draw on the processor
    if (!devices.empty()) {
        const std::string key = QGuiApplication::platformName().toStdString() + " " + devices;
        const std::filesystem::path file = RendererChoice::rememberedFile();
        const auto known = RendererChoice::remembered(file, key);
        software = known ? *known : softwareByProbe();
        if (!known)
            RendererChoice::remember(file, key, software);
    }
    if (software)
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}
