#include "app/ShellState.h"

#include <algorithm>

#include <QVariantMap>

#include "platform/FS.h"

double nebulaDensityFor(bool scanning, bool scanned, std::int64_t live, std::int64_t selectedTotal)
{
    if (scanning)
        return std::min(1.0, static_cast<double>(live) / 1.5e10 + 0.25);
    if (!scanned)
        return 0.5;
    return std::min(1.0, static_cast<double>(selectedTotal) / 1.5e10 + 0.08);
}

ShellState::ShellState(bool fullDiskAccessProbe, QObject* parent)
    : QObject(parent), OneInstance(this), probe_(fullDiskAccessProbe)
{
    fda_ = !probe_ || FS::hasFullDiskAccess();
}

QString ShellState::section() const { return section_ ? sectionId(*section_) : QString(); }

void ShellState::setSection(const QString& id)
{
    const std::optional<AppSection> next = sectionFromId(id);
    if (next == section_)
        return;
    section_ = next;
    emit sectionChanged();
}

QVariantList ShellState::sections() const
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

void ShellState::setMessage(const QString& text)
{
    if (text.isEmpty()) {
        dismissMessage();
        return;
    }
    message_ = text;
    emit messageChanged();
}

void ShellState::dismissMessage()
{
    if (!message_)
        return;
    message_.reset();
    emit messageChanged();
}

void ShellState::refreshFda() { assign(fda_, !probe_ || FS::hasFullDiskAccess(), &ShellState::fdaChanged); }

void ShellState::setNebulaDensity(double density) { assign(nebulaDensity_, density, &ShellState::nebulaDensityChanged); }
