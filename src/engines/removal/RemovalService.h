#pragma once
// What a screen's model needs to remove what the user chose: the window's
// one removal path (the busy veil, the celebration, the freed total and the
// message of what was not removed), reached without knowing who provides it.
#include <functional>
#include <vector>

#include <QtPlugin>

#include "engines/records/Removal.h"

class RemovalService {
public:
    virtual ~RemovalService() = default;
    // Removes the targets in the background; `then` runs afterwards on the main thread.
    virtual void perform(std::vector<RemovalTarget> targets, std::function<void()> then) = 0;
    // Carries out a plan the user confirmed (its items the removal loop
    // takes) in the background; `then` runs afterwards on the main thread
    // with what happened.
    virtual void performPlan(Plan::Record plan, std::function<void(const RemovalOutcome&)> then) = 0;
};

#define RemovalService_iid "com.halvick.Quillmoor.RemovalService"
Q_DECLARE_INTERFACE(RemovalService, RemovalService_iid)
