#include "platform/Plist.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include <sys/stat.h>

#include <QFile>

#include <plist/plist.h>

namespace {

struct PlistFree {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistFree>;

QString stringOf(plist_t node)
{
    char* value = nullptr;
    plist_get_string_val(node, &value);
    const QString text = value ? QString::fromUtf8(value) : QString();
    free(value);
    return text;
}

// Text stays text; a list keeps its text elements (others become invalid);
// every other kind is an invalid QVariant.
QVariant valueOf(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
        return stringOf(node);
    case PLIST_ARRAY: {
        QVariantList list;
        const uint32_t count = plist_array_get_size(node);
        for (uint32_t i = 0; i < count; ++i) {
            plist_t item = plist_array_get_item(node, i);
            list.append(plist_get_node_type(item) == PLIST_STRING ? QVariant(stringOf(item)) : QVariant());
        }
        return list;
    }
    default:
        return {};
    }
}

bool startsWithAt(const QByteArray& data, qsizetype at, const char* text)
{
    const qsizetype length = qsizetype(std::strlen(text));
    return at + length <= data.size() && std::memcmp(data.constData() + at, text, std::size_t(length)) == 0;
}

// The deepest nesting of <array> and <dict> in XML text; self-closing tags add nothing.
int xmlDepth(const QByteArray& data)
{
    int depth = 0;
    int deepest = 0;
    for (qsizetype i = data.indexOf('<'); i >= 0; i = data.indexOf('<', i + 1)) {
        const bool closing = startsWithAt(data, i + 1, "/");
        const qsizetype name = i + (closing ? 2 : 1);
        qsizetype end = -1;
        if (startsWithAt(data, name, "array"))
            end = name + 5;
        else if (startsWithAt(data, name, "dict"))
            end = name + 4;
        if (end < 0 || end >= data.size())
            continue;
        const char next = data.at(end);
        if (next != '>' && next != ' ' && next != '\t' && next != '\n' && next != '\r' && next != '/')
            continue;  // another tag that only starts the same way
        if (closing) {
            depth = std::max(0, depth - 1);
            continue;
        }
        const qsizetype close = data.indexOf('>', end);
        if (close > 0 && data.at(close - 1) == '/')
            continue;  // <array/>
        deepest = std::max(deepest, ++depth);
    }
    return deepest;
}

// The object count of a binary list, from its trailer (0 when it has none).
std::uint64_t binaryObjects(const QByteArray& data)
{
    if (data.size() < 8 + 32)
        return 0;
    std::uint64_t count = 0;
    for (int i = 0; i < 8; ++i)
        count = (count << 8) | static_cast<unsigned char>(data.at(data.size() - 24 + i));
    return count;
}

} // namespace

namespace Plist {

bool withinParserLimits(const QByteArray& data)
{
    if (data.startsWith("bplist"))
        return binaryObjects(data) <= kMaxBinaryObjects;
    return xmlDepth(data) <= kMaxXmlDepth;
}

std::optional<QVariantMap> parseDictionary(const QByteArray& data)
{
    if (data.isEmpty() || data.size() > kMaxBytes || !withinParserLimits(data))
        return std::nullopt;
    plist_t raw = nullptr;
    plist_from_memory(data.constData(), uint32_t(data.size()), &raw);
    const PlistPtr root(raw);
    if (!root || plist_get_node_type(root.get()) != PLIST_DICT)
        return std::nullopt;

    QVariantMap dict;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(root.get(), &it);
    if (!it)
        return dict;
    for (;;) {
        char* key = nullptr;
        plist_t value = nullptr;
        plist_dict_next_item(root.get(), it, &key, &value);
        if (!value) {
            free(key);
            break;
        }
        if (key)
            dict.insert(QString::fromUtf8(key), valueOf(value));
        free(key);
    }
    free(it);
    return dict;
}

std::optional<QVariantMap> readDictionary(const std::filesystem::path& file)
{
    // only regular files: opening a pipe or a device could wait for ever
    struct stat info;
    if (stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxBytes)
        return std::nullopt;
    QFile f(QFile::decodeName(QByteArray::fromStdString(file.native())));
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    if (f.size() > kMaxBytes)
        return std::nullopt;
    // read one byte more than allowed: a file that grows meanwhile is still refused
    return parseDictionary(f.read(kMaxBytes + 1));
}

std::optional<QString> text(const QVariantMap& dict, const QString& key)
{
    const auto it = dict.constFind(key);
    if (it == dict.constEnd() || it->typeId() != QMetaType::QString)
        return std::nullopt;
    return it->toString();
}

} // namespace Plist
