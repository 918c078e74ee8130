#include "app/AppState.h"

#include <algorithm>

#include <QJSEngine>
#include <QQmlEngine>
#include <QVariantMap>

#include "platform/Prefs.h"

namespace {

AppState* g_instance = nullptr;

} // namespace

double nebulaDensityFor(bool scanning, bool scanned, std::int64_t live, std::int64_t selectedTotal)
{
    if (scanning)
        return std::min(1.0, static_cast<double>(live) / 1.5e10 + 0.25);
    if (!scanned)
        return 0.5;
    return std::min(1.0, static_cast<double>(selectedTotal) / 1.5e10 + 0.08);
}

AppState::AppState(QObject* parent)
    : QObject(parent)
{
    disk_ = FS::disk();
    mem_ = FS::memory();
    fda_ = FS::hasFullDiskAccess();
    {
        auto standard = Prefs::standard();
        auto earlier = Prefs::earlier();
        totalFreed_ = Prefs::loadTotalFreed(*standard, earlier.get());
    }
    lastDensity_ = nebulaDensity();
    if (!g_instance)
        g_instance = this;
}

AppState::~AppState()
{
    if (g_instance == this)
        g_instance = nullptr;
}

AppState* AppState::create(QQmlEngine*, QJSEngine*)
{
    AppState* state = g_instance ? g_instance : new AppState(nullptr);
    QJSEngine::setObjectOwnership(state, QJSEngine::CppOwnership);
    return state;
}

AppState* AppState::instance() { return g_instance; }

QString AppState::section() const { return section_ ? sectionId(*section_) : QString(); }

void AppState::setSection(const QString& id)
{
    const std::optional<AppSection> next = sectionFromId(id);
    if (next == section_)
        return;
    section_ = next;
    emit sectionChanged();
}

QVariantList AppState::sections() const
{
    QVariantList list;
    for (const auto& info : allSections()) {
        list.append(QVariantMap{
            {"id", QString::fromLatin1(info.id)},
            {"title", QString::fromUtf8(info.title)},
            {"symbol", QString::fromLatin1(info.symbol)},
            {"tint", QString::fromLatin1(info.tint)},
            {"label", QString::fromUtf8(info.label)},
            {"icon", QString::fromLatin1(info.icon)},
        });
    }
    return list;
}

void AppState::setMessage(const QString& text)
{
    // Operations only ever set a text; clearing is the window's job, and an
    // empty text from a screen means the same as dismissing.
    if (text.isEmpty()) {
        dismissMessage();
        return;
    }
    message_ = text;
    emit messageChanged();
}

void AppState::dismissMessage()
{
    if (!message_)
        return;
    message_.reset();
    emit messageChanged();
}

void AppState::setBusy(bool busy) { assign(busy_, busy, &AppState::busyChanged); }

void AppState::refreshStats()
{
    assign(disk_, FS::disk(), &AppState::diskChanged);
    assign(mem_, FS::memory(), &AppState::memChanged);
    refreshFda();
}

void AppState::refreshFda() { setFda(FS::hasFullDiskAccess()); }

void AppState::setFda(bool fda) { assign(fda_, fda, &AppState::fdaChanged); }

void AppState::addFreed(qint64 bytes)
{
    if (bytes <= 0)
        return;  // the total only grows
    totalFreed_ += bytes;
    auto standard = Prefs::standard();
    standard->setValue(QStringLiteral("totalFreed"), static_cast<qlonglong>(totalFreed_));
    standard->sync();
    emit totalFreedChanged();
}

void AppState::setJunkScanned(bool scanned)
{
    if (assign(junkScanned_, scanned, &AppState::junkScannedChanged))
        updateDensity();
}

void AppState::setJunkScanning(bool scanning)
{
    if (assign(junkScanning_, scanning, &AppState::junkScanningChanged))
        updateDensity();
}

void AppState::setJunkLive(qint64 bytes)
{
    if (assign(junkLive_, bytes, &AppState::junkLiveChanged))
        updateDensity();
}

void AppState::setJunkCurrent(const QString& text)
{
    assign(junkCurrent_, text, &AppState::junkCurrentChanged);
}

void AppState::setJunkGroups(std::vector<JunkGroup> groups)
{
    junkGroups_ = std::move(groups);
    emit junkGroupsChanged();
    updateDensity();
}

qint64 AppState::junkTotal() const
{
    qint64 sum = 0;
    for (const auto& group : junkGroups_)
        sum += group.total();
    return sum;
}

qint64 AppState::junkSelectedTotal() const
{
    qint64 sum = 0;
    for (const auto& group : junkGroups_)
        sum += group.selectedTotal();
    return sum;
}

void AppState::setCelebrate(std::optional<Celebration> value)
{
    assign(celebrate_, value, &AppState::celebrateChanged);
}

void AppState::dismissCelebration() { setCelebrate(std::nullopt); }

void AppState::setLargeMin(qint64 bytes) { assign(largeMin_, bytes, &AppState::largeMinChanged); }

double AppState::nebulaDensity() const
{
    return nebulaDensityFor(junkScanning_, junkScanned_, junkLive_, junkSelectedTotal());
}

void AppState::updateDensity()
{
    assign(lastDensity_, nebulaDensity(), &AppState::nebulaDensityChanged);
}
