#include "engines/dupes/DuplicateRemoval.h"

#include <algorithm>

#include "engines/common/NeverTouchList.h"
#include "engines/dupes/DuplicateSpace.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"
#include "platform/FS.h"
#include "platform/NeverTouch.h"

namespace fs = std::filesystem;

namespace Dupes {

namespace {

// The kept copy of a group, which every ticked copy is checked against; none
// when the group has none.
const ShownCopy* keptOf(const Group& group)
{
    for (const ShownCopy& shown : group.copies)
        if (shown.kept)
            return &shown;
    return nullptr;
}

// Adds "~/folder/name: why" for a copy that stays.
void hold(RemovalOutcome& outcome, const PlannedCopy& planned, const QString& why)
{
    outcome.held << FS::pretty(planned.copy.file.path) + QStringLiteral(": ") + why;
}

// The check right before a copy goes; false, with its line and the result
// of its `names` items of the record, when it stays.
// Whether the never-touch list covers any name of the copy.
bool neverTouched(const PlannedCopy& planned, const NeverTouchList& never)
{
    return never.covers(planned.copy.file.path)
           || std::any_of(planned.copy.otherNames.begin(), planned.copy.otherNames.end(),
                          [&never](const std::string& name) { return never.covers(name); });
}

bool mayGo(RemovalOutcome& outcome, std::vector<HeldCopy>* heldCopies, const PlannedCopy& planned, bool compareBytes,
           std::size_t first, std::size_t names, const NeverTouchList& never)
{
    const Hold why = neverTouched(planned, never) ? Hold::NeverTouch
                     : planned.similar            ? holdBeforeSimilarRemoval(planned.copy.file, planned.keeperFile)
                                                  : holdBeforeRemoval(planned.copy.file, planned.keeper, compareBytes);
    if (why == Hold::None)
        return true;
    // The line names the kept copy where the reason is about it.
    const QString reason =
        why == Hold::KeptGone ? LF("a cópia mantida (%@) não existe mais", FS::pretty(planned.keeper)) : holdText(why);
    hold(outcome, planned, reason);
    for (std::size_t i = first; i < first + names; ++i)
        outcome.record->results[i] = {Plan::Result::held, reason, {}};
    if (heldCopies)
        heldCopies->push_back({idOf(planned.copy.file), why});
    return false;
}

} // namespace

std::vector<PlannedCopy> removalPlan(const std::vector<Group>& groups)
{
    std::vector<PlannedCopy> plan;
    for (const Group& group : groups) {
        const ShownCopy* kept = keptOf(group);
        if (!kept)
            continue;  // nothing is known to stay: nothing goes
        for (const ShownCopy& shown : group.copies)
            if (shown.selected && &shown != kept)
                plan.push_back({shown.copy, kept->copy.file.path, freedBy(group, shown), kept->copy.file, group.similar});
    }
    return plan;
}

Plan::Record planRecord(const std::vector<PlannedCopy>& plan, bool share)
{
    Plan::Record record;
    record.action = share ? QStringLiteral("share") : QStringLiteral("dupes");
    const auto add = [&](const fs::path& path, std::int64_t size) {
        record.items.push_back(Removal::itemAt(path, QStringLiteral("copies"), L("Duplicados"), size,
                                               share ? Plan::Fate::shared : Plan::Fate::trashed));
    };
    for (const PlannedCopy& planned : plan) {
        add(planned.copy.file.path, planned.freed);
        if (!share)
            for (const std::string& other : planned.copy.otherNames)
                add(other, 0);  // its space is counted on the copy
    }
    const bool similar = std::any_of(plan.begin(), plan.end(), [](const PlannedCopy& p) { return p.similar; });
    const bool identical = std::any_of(plan.begin(), plan.end(), [](const PlannedCopy& p) { return !p.similar; });
    if (identical)
        record.alongside << L("Logo antes, cada cópia é comparada com a mantida; uma cópia de cada grupo sempre fica.");
    if (similar)
        record.alongside << L("Logo antes, confere-se que cada imagem e a mantida não mudaram desde a análise; uma imagem de cada grupo sempre fica.");
    return record;
}

QString copyNote(const ShownCopy& shown)
{
    if (shown.held != Hold::None)
        return holdText(shown.held);
    if (!shown.holder.empty())
        return LF("Em uso por %@", QString::fromStdString(shown.holder));
    if (shown.shares)
        return L("Já compartilham o espaço");
    if (shown.partial)
        return L("Tem outros nomes fora desta busca");
    if (shown.inProject)
        return L("Parte de um projeto");
    return {};
}

QString holdText(Hold hold)
{
    switch (hold) {
    case Hold::KeptGone:
        return L("a cópia mantida não existe mais");
    case Hold::SameFile:
        return L("a cópia mantida agora é o mesmo arquivo");
    case Hold::CopyChanged:
        return L("mudou depois da análise");
    case Hold::Differs:
        return L("o conteúdo não é mais o mesmo da cópia mantida");
    case Hold::Unreadable:
        return L("não pôde ser lido");
    case Hold::NeverTouch:
        return L("Na lista Nunca tocar");
    case Hold::KeptChanged:
        return L("a cópia mantida mudou depois da análise");
    case Hold::None:
        break;
    }
    return {};
}

RemovalOutcome trashCopies(const std::vector<PlannedCopy>& plan, const Admin::Runner& admin,
                           std::vector<HeldCopy>* heldCopies)
{
    RemovalOutcome outcome;
    outcome.record = Plan::Outcome::of(planRecord(plan, false));
    const NeverTouchList never(NeverTouch::current());  // as it is now: a place added since the scan holds its copy
    std::size_t first = 0;
    for (const PlannedCopy& planned : plan) {
        const std::size_t count = 1 + planned.copy.otherNames.size();
        const std::size_t at = first;
        first += count;
        if (!mayGo(outcome, heldCopies, planned, true, at, count, never))
            continue;
        // Every name of the file goes, so its space comes back.
        std::vector<RemovalTarget> names{{planned.copy.file.path, false, planned.freed}};
        for (const std::string& other : planned.copy.otherNames)
            names.push_back({other, false, 0});
        const RemovalOutcome one = Removal::run(names, admin);
        for (std::size_t i = 0; i < count; ++i)
            outcome.record->results[at + i] = one.results[i];
        outcome.trashed += one.trashed;
        outcome.freed += one.freed;
        outcome.failures.insert(outcome.failures.end(), one.failures.begin(), one.failures.end());
        if (outcome.adminReason.isEmpty())
            outcome.adminReason = one.adminReason;
    }
    return outcome;
}

RemovalOutcome shareCopies(const std::vector<PlannedCopy>& plan, std::vector<HeldCopy>* heldCopies)
{
    RemovalOutcome outcome;
    outcome.record = Plan::Outcome::of(planRecord(plan, true));
    const NeverTouchList never(NeverTouch::current());
    for (std::size_t i = 0; i < plan.size(); ++i) {
        const PlannedCopy& planned = plan[i];
        Plan::ItemResult& result = outcome.record->results[i];
        // Pictures that only look alike have different bytes: nothing to share.
        if (planned.similar) {
            hold(outcome, planned, holdText(Hold::Differs));
            result = {Plan::Result::held, holdText(Hold::Differs), {}};
            if (heldCopies)
                heldCopies->push_back({idOf(planned.copy.file), Hold::Differs});
            continue;
        }
        // The kernel compares the bytes itself and changes nothing when they differ.
        if (!mayGo(outcome, heldCopies, planned, false, i, 1, never))
            continue;
        switch (shareWith(planned.keeper, planned.copy.file.path, planned.copy.file.size)) {
        case ShareResult::Done:
            outcome.freed += planned.freed;
            result.result = Plan::Result::done;
            break;
        case ShareResult::Differs:
            hold(outcome, planned, holdText(Hold::Differs));
            result = {Plan::Result::held, holdText(Hold::Differs), {}};
            if (heldCopies)
                heldCopies->push_back({idOf(planned.copy.file), Hold::Differs});
            break;
        case ShareResult::Unsupported:
            hold(outcome, planned, L("este sistema de arquivos não compartilha dados entre arquivos"));
            result = {Plan::Result::held, L("este sistema de arquivos não compartilha dados entre arquivos"), {}};
            break;
        case ShareResult::Failed:
            outcome.failures.push_back(FS::pretty(planned.copy.file.path));
            result.result = Plan::Result::failed;
            break;
        }
    }
    return outcome;
}

bool shareOffered(const std::vector<Group>& groups)
{
    for (const Group& group : groups) {
        const ShownCopy* kept = keptOf(group);
        if (!kept || !kept->sharingFs || group.similar)
            continue;
        for (const ShownCopy& shown : group.copies)
            if (shown.selected && !shown.kept && shown.copy.file.device == kept->copy.file.device)
                return true;
    }
    return false;
}

} // namespace Dupes
