#pragma once
// One child of the folder the space map shows.
#include <cstdint>
#include <filesystem>

#include <QFile>
#include <QString>

struct SizeEntry {
    std::filesystem::path url;
    std::int64_t size = -1;  // bytes on disk; -1 while not yet measured
    bool isDir = false;      // taken once, when the folder is listed

    // The path as text: the identity used for selection, hover and the list.
    QString id() const { return QFile::decodeName(QByteArray::fromStdString(url.native())); }
    // The last path component, for display.
    QString name() const { return QFile::decodeName(QByteArray::fromStdString(url.filename().native())); }
};
