#include "engines/dupes/DuplicateTicks.h"

#include <algorithm>

namespace Dupes {

Refusal tick(Group& group, std::size_t index, bool on)
{
    if (index >= group.copies.size())
        return Refusal::None;
    ShownCopy& copy = group.copies[index];
    if (on && copy.kept)
        return Refusal::Kept;
    if (on) {
        std::vector<bool> ticked;
        for (const ShownCopy& other : group.copies)
            ticked.push_back(other.selected);
        if (!mayTick(ticked, index))
            return Refusal::LastCopy;
    }
    copy.selected = on;
    return Refusal::None;
}

void keep(Group& group, std::size_t index)
{
    if (index >= group.copies.size() || group.copies[index].kept)
        return;
    for (std::size_t i = 0; i < group.copies.size(); ++i) {
        ShownCopy& copy = group.copies[i];
        if (i == index) {
            copy.kept = true;
            copy.selected = false;
        } else if (copy.kept) {
            copy.kept = false;
            copy.selected = startsTicked(group, copy);
        }
    }
    orderCopies(group);
}

void applyChoices(std::vector<Group>& groups, const Choices& choices)
{
    for (Group& group : groups) {
        const auto chosen = std::find_if(group.copies.begin(), group.copies.end(), [&](const ShownCopy& copy) {
            return choices.kept.count(idOf(copy.copy.file)) > 0;
        });
        if (chosen != group.copies.end())
            keep(group, std::size_t(chosen - group.copies.begin()));
        for (std::size_t i = 0; i < group.copies.size(); ++i) {
            ShownCopy& copy = group.copies[i];
            const CopyId id = idOf(copy.copy.file);
            const auto held = choices.held.find(id);
            copy.held = held == choices.held.end() ? Hold::None : held->second;
            if (copy.held != Hold::None)
                copy.selected = false;
            else if (const auto ticked = choices.ticks.find(id); ticked != choices.ticks.end())
                tick(group, i, ticked->second);
        }
    }
}

void forgetMissing(Choices& choices, const std::vector<Group>& groups)
{
    std::set<CopyId> present;
    for (const Group& group : groups)
        for (const ShownCopy& copy : group.copies)
            present.insert(idOf(copy.copy.file));
    std::erase_if(choices.kept, [&](const CopyId& id) { return !present.count(id); });
    std::erase_if(choices.ticks, [&](const auto& entry) { return !present.count(entry.first); });
    std::erase_if(choices.held, [&](const auto& entry) { return !present.count(entry.first); });
}

} // namespace Dupes
