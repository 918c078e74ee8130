#include "engines/dupes/DuplicateRemoval.h"

#include <QFile>

#include "engines/dupes/DuplicateSpace.h"
#include "engines/removal/Removal.h"
#include "i18n/L.h"

namespace fs = std::filesystem;

namespace Dupes {

namespace {

QString nameOf(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.filename().native())); }

// The copy each ticked copy of a group is checked against: the kept copy when
// it stays, else the first copy that stays; none when every copy is ticked.
const ShownCopy* keeperOf(const Group& group)
{
    for (const ShownCopy& shown : group.copies)
        if (shown.kept && !shown.selected)
            return &shown;
    for (const ShownCopy& shown : group.copies)
        if (!shown.selected)
            return &shown;
    return nullptr;
}

// Adds "name: why" for a copy that stays.
void hold(RemovalOutcome& outcome, const PlannedCopy& planned, const QString& why)
{
    outcome.held << nameOf(planned.copy.file.path) + QStringLiteral(": ") + why;
}

// The check right before a copy goes; false, with its line, when it stays.
bool mayGo(RemovalOutcome& outcome, const PlannedCopy& planned, bool compareBytes)
{
    const Hold why = holdBeforeRemoval(planned.copy.file, planned.keeper, compareBytes);
    if (why != Hold::None)
        hold(outcome, planned, holdText(why));
    return why == Hold::None;
}

} // namespace

std::vector<PlannedCopy> removalPlan(const std::vector<Group>& groups)
{
    std::vector<PlannedCopy> plan;
    for (const Group& group : groups) {
        const ShownCopy* keeper = keeperOf(group);
        if (!keeper)
            continue;  // never the last copy
        for (const ShownCopy& shown : group.copies)
            if (shown.selected)
                plan.push_back({shown.copy, keeper->copy.file.path, freedBy(group, shown)});
    }
    return plan;
}

QString copyNote(const ShownCopy& shown)
{
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
    case Hold::None:
        break;
    }
    return {};
}

RemovalOutcome trashCopies(const std::vector<PlannedCopy>& plan, const Admin::Runner& admin)
{
    RemovalOutcome outcome;
    for (const PlannedCopy& planned : plan) {
        if (!mayGo(outcome, planned, true))
            continue;
        // Every name of the file goes, so its space comes back.
        std::vector<RemovalTarget> names{{planned.copy.file.path, false, planned.freed}};
        for (const std::string& other : planned.copy.otherNames)
            names.push_back({other, false, 0});
        const RemovalOutcome one = Removal::run(names, admin);
        outcome.trashed += one.trashed;
        outcome.freed += one.freed;
        outcome.failures.insert(outcome.failures.end(), one.failures.begin(), one.failures.end());
        if (outcome.adminReason.isEmpty())
            outcome.adminReason = one.adminReason;
    }
    return outcome;
}

RemovalOutcome shareCopies(const std::vector<PlannedCopy>& plan)
{
    RemovalOutcome outcome;
    for (const PlannedCopy& planned : plan) {
        // The kernel compares the bytes itself and changes nothing when they differ.
        if (!mayGo(outcome, planned, false))
            continue;
        switch (shareWith(planned.keeper, planned.copy.file.path, planned.copy.file.size)) {
        case ShareResult::Done:
            outcome.freed += planned.freed;
            break;
        case ShareResult::Differs:
            hold(outcome, planned, holdText(Hold::Differs));
            break;
        case ShareResult::Unsupported:
            hold(outcome, planned, L("este sistema de arquivos não compartilha dados entre arquivos"));
            break;
        case ShareResult::Failed:
            outcome.failures.push_back(nameOf(planned.copy.file.path));
            break;
        }
    }
    return outcome;
}

bool shareOffered(const std::vector<Group>& groups)
{
    for (const Group& group : groups) {
        const ShownCopy* keeper = keeperOf(group);
        if (!keeper || !keeper->sharingFs)
            continue;
        for (const ShownCopy& shown : group.copies)
            if (shown.selected && shown.copy.file.device == keeper->copy.file.device)
                return true;
    }
    return false;
}

} // namespace Dupes
