// Plist::parseDictionary gives only text, lists of text and invalid values; the input's first bytes, repeated as
// levels of nesting past the depth limit, are refused whenever libplist would build a tree deeper than the limit.
#include <plist/plist.h>

#include "FuzzCheck.h"
#include "platform/Plist.h"

// How deep libplist's tree goes (a few thousand levels here at most).
static int depth(plist_t node)
{
    int deepest = 0;
    if (plist_get_node_type(node) == PLIST_ARRAY)
        for (uint32_t i = 0; i < plist_array_get_size(node); ++i)
            deepest = std::max(deepest, depth(plist_array_get_item(node, i)));
    if (plist_get_node_type(node) == PLIST_DICT) {
        plist_dict_iter it = nullptr;
        plist_t item = nullptr;
        plist_dict_new_iter(node, &it);
        for (plist_dict_next_item(node, it, nullptr, &item); item; plist_dict_next_item(node, it, nullptr, &item))
            deepest = std::max(deepest, depth(item));
        free(it);
    }
    return deepest + 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size)
{
    const QByteArray input = Fuzz::bytes(bytes, size);
    const auto textOrInvalid = [](const QVariant& value) {
        return value.typeId() == QMetaType::UnknownType || value.typeId() == QMetaType::QString;
    };
    for (const QVariant& value : Plist::parseDictionary(input).value_or(QVariantMap()))
        REQUIRE(textOrInvalid(value)
                || (value.typeId() == QMetaType::QVariantList && std::ranges::all_of(value.toList(), textOrInvalid)));

    const QByteArray deep = "<plist><dict><key>K</key>" + input.left(48).repeated(Plist::kMaxXmlDepth + 8)
                            + QByteArray("</array>").repeated(Plist::kMaxXmlDepth + 8) + "</dict></plist>";
    if (deep.contains('\0'))
        return 0;  // refused whatever its depth: a NUL in a text would abort libplist
    plist_t root = nullptr;
    plist_from_memory(deep.constData(), uint32_t(deep.size()), &root);
    REQUIRE(depth(root) <= Plist::kMaxXmlDepth + 1 || !Plist::withinParserLimits(deep));  // + 1: the top dictionary
    plist_free(root);
    return 0;
}
