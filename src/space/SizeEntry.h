#pragma once
// One child of the folder the space map shows.
#include <cstdint>
#include <filesystem>

#include <QFile>
#include <QString>

struct SizeEntry {
    std::filesystem::path url;
    std::int64_t size = -1;  // bytes on disk; -1 while not yet measured
    bool isDir = false;      // taken once, when the folder is listed (a link is never a folder)
    bool isLink = false;     // a symbolic link: shown with its own symbol and no size of its own
    // Where a link to a folder leads (its real path, links resolved); empty for
    // anything else. Opening the entry opens this folder; no walk follows the link.
    std::filesystem::path target{};

    // The path as text: the identity used for selection, hover and the list.
    QString id() const { return QFile::decodeName(QByteArray::fromStdString(url.native())); }
    // The last path component, for display.
    QString name() const { return QFile::decodeName(QByteArray::fromStdString(url.filename().native())); }
    // Whether opening the entry shows a folder: a folder, or a link to one.
    bool opensFolder() const { return isDir || !target.empty(); }
    // The folder opening the entry shows (itself, or a link's target).
    const std::filesystem::path& folderToOpen() const { return target.empty() ? url : target; }
};
