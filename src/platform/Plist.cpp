#include "platform/Plist.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

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

// Where `text` next starts at or after `from`, -1 when nowhere; with
// `skipQuotes`, not inside a double-quoted stretch (as the parser reads tags
// and processing instructions).
qsizetype findText(const QByteArray& data, qsizetype from, const char* text, bool skipQuotes)
{
    for (qsizetype i = from; i < data.size(); ++i) {
        if (startsWithAt(data, i, text))
            return i;
        if (skipQuotes && data.at(i) == '"' && (i = data.indexOf('"', i + 1)) < 0)
            return -1;
    }
    return -1;
}

// Where the next of the characters `stops` is at or after `from`, -1 when nowhere.
qsizetype findAny(const QByteArray& data, qsizetype from, const char* stops, bool skipQuotes)
{
    for (qsizetype i = from; i < data.size(); ++i) {
        if (std::strchr(stops, data.at(i)) && data.at(i) != '\0')
            return i;
        if (skipQuotes && data.at(i) == '"' && (i = data.indexOf('"', i + 1)) < 0)
            return -1;
    }
    return -1;
}

// The deepest nesting of <array> and <dict> in XML text, read the way the
// parser reads it: comments, CDATA sections, processing instructions and the
// DOCTYPE hold no tags; inside a tag a quoted stretch may hold '<' or '>';
// self-closing tags add nothing. Where the parser would give up, so does the count.
int xmlDepth(const QByteArray& data)
{
    int depth = 0;
    int deepest = 0;
    for (qsizetype i = data.indexOf('<'); i >= 0;) {
        qsizetype next = -1;  // just past this markup
        if (startsWithAt(data, i, "<?")) {
            const qsizetype end = findText(data, i + 1, "?>", true);
            next = end < 0 ? -1 : end + 2;
        } else if (startsWithAt(data, i, "<!--")) {
            const qsizetype end = findText(data, i + 4, "-->", false);
            next = end < 0 ? -1 : end + 3;
        } else if (startsWithAt(data, i, "<![CDATA[")) {
            const qsizetype end = findText(data, i + 9, "]]>", false);
            next = end < 0 ? -1 : end + 3;
        } else if (startsWithAt(data, i, "<!DOCTYPE")) {
            qsizetype end = findAny(data, i + 9, "[>", true);
            if (end >= 0 && data.at(end) == '[') {  // an internal subset, up to "]>"
                end = findText(data, end, "]>", true);
                if (end >= 0)
                    ++end;
            }
            next = end < 0 ? -1 : end + 1;
        } else if (!startsWithAt(data, i, "<!")) {
            // a tag: its name, then whatever it holds up to '>'
            const qsizetype nameEnd = findAny(data, i + 1, " \r\n\t<>", false);
            qsizetype end = nameEnd;
            if (end >= 0 && data.at(end) != '>')
                end = findAny(data, nameEnd, "<>", true);
            if (end >= 0 && data.at(end) == '>') {
                QByteArray name = data.mid(i + 1, nameEnd - i - 1);
                const bool empty = data.at(end - 1) == '/';  // <array/>
                if (empty && name.endsWith('/'))
                    name.chop(1);
                if (!empty && (name == "array" || name == "dict"))
                    deepest = std::max(deepest, ++depth);
                else if (name == "/array" || name == "/dict")
                    depth = std::max(0, depth - 1);
                next = end + 1;
            }
        }
        i = next < 0 ? -1 : data.indexOf('<', next);
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

// A big-endian number of `size` bytes (at most 8) at `at`; false when it lies outside the data.
bool readNumber(const QByteArray& data, std::uint64_t at, std::uint64_t size, std::uint64_t& value)
{
    const std::uint64_t total = std::uint64_t(data.size());
    if (size > 8 || at > total || size > total - at)
        return false;
    value = 0;
    for (std::uint64_t i = 0; i < size; ++i)
        value = (value << 8) | static_cast<unsigned char>(data.at(qsizetype(at + i)));
    return true;
}

// Whether a text of the list may hold a NUL character. libplist 2.2 stops
// the whole program (an assertion) when asked for a key or string whose C
// string is shorter than its length, so such a list is never handed to it.
// XML may not hold a NUL byte at all. In a binary list every text object
// (ASCII or UTF-16) named by the offset table is looked at; a list too
// broken to tell counts as holding one.
bool mayHoldNulText(const QByteArray& data)
{
    if (!data.startsWith("bplist"))
        return data.contains('\0');
    if (data.size() < 8 + 32)
        return true;
    // The trailer's 32 bytes: 6 unused, offset size, reference size, object
    // count, top object, offset table position.
    const std::uint64_t trailer = std::uint64_t(data.size()) - 32;
    std::uint64_t offsetSize = 0, count = 0, table = 0;
    if (!readNumber(data, trailer + 6, 1, offsetSize) || !readNumber(data, trailer + 8, 8, count)
        || !readNumber(data, trailer + 24, 8, table) || offsetSize == 0 || count > Plist::kMaxBinaryObjects
        || table > trailer)
        return true;
    std::set<std::uint64_t> seen;
    std::uint64_t looked = 0;  // text bytes looked at: objects that do not overlap add up to less than the list
    for (std::uint64_t i = 0; i < count; ++i) {
        std::uint64_t offset = 0, marker = 0;
        if (!readNumber(data, table + i * offsetSize, offsetSize, offset) || !readNumber(data, offset, 1, marker))
            return true;
        const std::uint64_t kind = marker >> 4;  // 0x5: ASCII text, 0x6: UTF-16 text
        if ((kind != 0x5 && kind != 0x6) || !seen.insert(offset).second)
            continue;
        std::uint64_t length = marker & 0x0F;  // in characters; 0xF: an integer object follows with it
        std::uint64_t start = offset + 1;
        if (length == 0x0F) {
            std::uint64_t lengthMarker = 0;
            if (!readNumber(data, start, 1, lengthMarker) || (lengthMarker >> 4) != 0x1 || (lengthMarker & 0x0F) > 3)
                return true;
            const std::uint64_t bytes = std::uint64_t(1) << (lengthMarker & 0x0F);
            if (!readNumber(data, start + 1, bytes, length))
                return true;
            start += 1 + bytes;
        }
        const std::uint64_t unit = kind == 0x5 ? 1 : 2;
        const std::uint64_t total = std::uint64_t(data.size());
        if (length > (total - start) / unit || (looked += length * unit) > total)
            return true;
        for (std::uint64_t c = 0; c < length; ++c) {
            const qsizetype at = qsizetype(start + c * unit);
            if (data.at(at) == 0 && (unit == 1 || data.at(at + 1) == 0))
                return true;
        }
    }
    return false;
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
    if (data.isEmpty() || data.size() > kMaxBytes || !withinParserLimits(data) || mayHoldNulText(data))
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
