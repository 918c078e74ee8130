#pragma once
// A plan as a confirmation shows it: the heading, one line per
// fate (the plan's own words), and the first rows of its list, the rest one
// click away. Every confirmation of a removal reads one of these.
#include <QString>
#include <QVariantMap>

#include "engines/records/Plan.h"

// How many of a plan's rows the confirmation can list.
inline constexpr std::size_t kPlanRowsShown = 500;

// {heading, lines, rows: [{label, fate, size, admin}], count, more, admin,
// total, refusal}.
QVariantMap planMap(const Plan::Record& plan, const QString& heading);

// The plan a state's confirmation shows, from the moment the confirmation
// opens (show) until it closes or the plan is carried out (take).
class ShownPlan {
public:
    bool shown() const { return shown_; }
    const Plan::Record& record() const { return record_; }
    void show(Plan::Record record, QString heading)
    {
        record_ = std::move(record);
        heading_ = std::move(heading);
        shown_ = true;
    }
    // Whether it was shown (and so is closed now).
    bool close()
    {
        const bool was = shown_;
        shown_ = false;
        return was;
    }
    // The record shown, closing it; `make` makes one when none is shown.
    template <typename Make>
    Plan::Record take(Make make)
    {
        Plan::Record taken = shown_ ? record_ : make();
        shown_ = false;
        return taken;
    }
    // What the confirmation reads: the plan while shown, else nothing.
    QVariantMap map() const { return shown_ ? planMap(record_, heading_) : QVariantMap(); }

private:
    Plan::Record record_;
    QString heading_;
    bool shown_ = false;
};
